#pragma once
// The settings singleton: every user setting, the install's version mark and the run counter.
//
// Each property reads through a copy in memory and writes through to the persistent store at
// once, so a value an option page writes is seen at once by every later reader and survives a
// crash; reading a setting during play never reaches the store.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class KeyValueStore;

class Configuration {
public:
    using Bytes = std::vector<std::uint8_t>;

    // What the option pages can set; reads are clamped to these, and an unreadable gravity or
    // damping reads as its default.
    static constexpr float kDefaultGravity = 150.0f;
    static constexpr float kMaxGravity = 800.0f;
    static constexpr float kDefaultDamping = 1.0f;
    static constexpr float kMinDamping = 0.1f;
    static constexpr float kMaxDamping = 1.0f;
    static constexpr int kMaxBalls = 80;

    // The one instance; the first call runs the first-run set-up and the version upgrades.
    static Configuration* current();
    static Configuration* init() { return current(); }

    bool firstRun() const;
    void setFirstRun(bool firstRun);
    std::string version() const; // "" when none is stored
    void setVersion(const std::string& version);
    int numberOfRuns() const;
    void setNumberOfRuns(int numberOfRuns);
    float gravity() const;
    void setGravity(float gravity);
    float damping() const;
    void setDamping(float damping);
    int numberOfBalls() const;
    void setNumberOfBalls(int numberOfBalls);
    // Picture file names; a stored name that is empty, carries a path or names no picture of
    // the game reads as the stock picture.
    std::string backgroundImage() const;
    void setBackgroundImage(const std::string& backgroundImage);
    std::string ballImage() const;
    void setBallImage(const std::string& ballImage);
    std::string ragdollClass() const;
    void setRagdollClass(const std::string& ragdollClass);
    // Encoded picture bytes; nothing when no custom face is set. Setting nothing removes it.
    std::optional<Bytes> customFaceImage() const;
    void setCustomFaceImage(std::optional<Bytes> customFaceImage);
    bool useAccelerometer() const;
    void setUseAccelerometer(bool useAccelerometer);
    bool drawPersonAsWireframe() const;
    void setDrawPersonAsWireframe(bool drawPersonAsWireframe);
    bool drawBallsAsWireframe() const;
    void setDrawBallsAsWireframe(bool drawBallsAsWireframe);
    bool showPainMeter() const;
    void setShowPainMeter(bool showPainMeter);
    bool playSoundFx() const;
    void setPlaySoundFx(bool playSoundFx);

    // Asks the host for the audio route once, then follows the route-change notifications.
    bool headphonesAttached();
    // The route-change listener. May run on an audio thread: it only sets the two flags.
    static void audioRoute_Changed(const std::string& route);

    // The store key of every property, in the order of the first-run set-up's table.
    static const std::vector<std::string>& keys();

    // Drops the instance and the route flags; the next current() starts afresh on the store
    // given (nullptr: the host's).
    static void resetForTesting(KeyValueStore* store);

private:
    Configuration();

    bool defaultsConfigured() const;
    void setDefaultsConfigured(bool defaultsConfigured);
    void setupUserDefauls();
    bool isUpToDate() const;
    void upgradeToVersion101();
    void upgradeToVersion102();
    void upgradeToVersion103();
    void upgradeToVersion104();
    void upgradeToVersion105();
    void upgradeToVersion106();
    void upgradeToVersion107();
    void upgradeToVersion108();
    void upgradeToVersion109();
    void upgradeToVersion110();
    // Back to the stock figure and pictures: what several upgrades do for installs without a
    // custom face.
    void resetLooksToStock();
    // The stored picture name when it names one of the game's pictures, else the stock one.
    std::string pictureSetting(const char* key, const char* stock) const;

    KeyValueStore& store() const;
};
