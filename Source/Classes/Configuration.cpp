#include "Classes/Configuration.h"

#include "Classes/MainBundle.h"
#include "Platform/Host.h"
#include "Platform/KeyValueStore.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <utility>

namespace {

constexpr const char* kFirstRun = "firstRun";
constexpr const char* kVersion = "version";
constexpr const char* kNumberOfRuns = "numberOfRuns";
constexpr const char* kGravity = "gravity";
constexpr const char* kDamping = "damping";
constexpr const char* kNumberOfBalls = "numberOfBalls";
constexpr const char* kBackgroundImage = "backgroundImage";
constexpr const char* kBallImage = "ballImage";
constexpr const char* kRagdollClass = "ragdollClass";
constexpr const char* kCustomFaceImage = "customFaceImage";
// Misspelt in the first release; installed stores depend on it.
constexpr const char* kUseAccelerometer = "useAcceleromter";
constexpr const char* kDrawPersonAsWireframe = "drawPersonAsWireframe";
constexpr const char* kDrawBallsAsWireframe = "drawBallsAsWireframe";
constexpr const char* kShowPainMeter = "showPainMeter";
constexpr const char* kPlaySoundFx = "playSoundFx";
constexpr const char* kDefaultsConfigured = "DefaultsConfigured";

constexpr const char* kStockBackground = "Background3.png";
constexpr const char* kStockBall = "Ball1.png";
constexpr const char* kStockRagdoll = "Nerd";
constexpr const char* kHeadphoneRoute = "Headphone";

Configuration* s_currentConfiguration = nullptr;
KeyValueStore* s_testStore = nullptr;

// Every setting as last read from or written to the store, so that reads during play (the
// collision callback's among them) stay in memory. Writes go on to the store at once, which
// stays the durable copy; a store written behind Configuration's back is read again.
class SettingsCache final : public KeyValueStore {
public:
    void attach(KeyValueStore& backing)
    {
        if (&backing != m_backing) {
            m_backing = &backing;
            clear();
        }
    }
    void clear()
    {
        m_values.clear();
        m_seen = m_backing ? m_backing->generation() : 0;
    }
    // Forgets the store too: it may be gone (a test's own).
    void detach()
    {
        m_backing = nullptr;
        clear();
    }
    std::optional<Value> valueForKey(const std::string& key) const override
    {
        if (m_backing->generation() != m_seen) {
            m_values.clear();
            m_seen = m_backing->generation();
        }
        auto it = m_values.find(key);
        if (it == m_values.end())
            it = m_values.emplace(key, m_backing->valueForKey(key)).first;
        return it->second;
    }
    void setValue(const std::string& key, std::optional<Value> value) override
    {
        noteWrite();
        const bool onlyWriter = m_backing->generation() == m_seen;
        m_backing->setValue(key, value);
        if (!onlyWriter)
            m_values.clear();
        m_seen = m_backing->generation();
        m_values[key] = std::move(value);
    }
    std::vector<std::string> keys() const override { return m_backing->keys(); }
    void beginBatch() override { m_backing->beginBatch(); }
    void endBatch() override { m_backing->endBatch(); }

private:
    KeyValueStore* m_backing = nullptr;
    mutable std::uint64_t m_seen = 0;
    mutable std::map<std::string, std::optional<Value>, std::less<>> m_values;
};
SettingsCache s_cache;
// Written by the route listener, possibly on the audio thread.
std::atomic<bool> s_audioRouteKnown { false };
std::atomic<bool> s_headphonesAttached { false };

std::string bundleVersion() { return MainBundle::infoValue("CFBundleVersion"); }

// A number hand-edited or left by another program may be stored as an integer; anything else
// (missing, another type, not finite) is unreadable.
std::optional<double> readNumber(const KeyValueStore& store, const char* key)
{
    const std::optional<KeyValueStore::Value> value = store.valueForKey(key);
    if (!value)
        return std::nullopt;
    double number;
    if (const double* real = std::get_if<double>(&*value))
        number = *real;
    else if (const std::int64_t* integer = std::get_if<std::int64_t>(&*value))
        number = static_cast<double>(*integer);
    else
        return std::nullopt;
    if (!std::isfinite(number))
        return std::nullopt;
    return number;
}

// For messages: control bytes and anything outside ASCII shown as escapes, and cut short.
std::string printable(const std::string& text)
{
    std::string out;
    for (unsigned char c : text.substr(0, 80)) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    return text.size() > 80 ? out + "..." : out;
}

int clampToInt(std::int64_t value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

Configuration* Configuration::current()
{
    if (s_currentConfiguration == nullptr)
        s_currentConfiguration = new Configuration();
    return s_currentConfiguration;
}

Configuration::Configuration()
{
    bool firstRun = false;
    if (!defaultsConfigured()) {
        setupUserDefauls();
        firstRun = true;
    }
    setFirstRun(firstRun);
    if (!isUpToDate()) {
        upgradeToVersion101();
        upgradeToVersion102();
        upgradeToVersion103();
        upgradeToVersion104();
        upgradeToVersion105();
        upgradeToVersion106();
        upgradeToVersion107();
        upgradeToVersion108();
        upgradeToVersion109();
        upgradeToVersion110();
    }
}

void Configuration::resetForTesting(KeyValueStore* store)
{
    delete s_currentConfiguration;
    s_currentConfiguration = nullptr;
    s_cache.detach();
    s_testStore = store;
    s_audioRouteKnown = false;
    s_headphonesAttached = false;
    MainBundle::reload();
}

KeyValueStore& Configuration::store() const
{
    s_cache.attach(s_testStore ? *s_testStore : Host::current().store());
    return s_cache;
}

const std::vector<std::string>& Configuration::keys()
{
    static const std::vector<std::string> s_keys = { kFirstRun, kVersion, kNumberOfRuns, kGravity, kDamping,
        kNumberOfBalls, kBackgroundImage, kBallImage, kRagdollClass, kCustomFaceImage, kUseAccelerometer,
        kDrawPersonAsWireframe, kDrawBallsAsWireframe, kShowPainMeter, kPlaySoundFx, kDefaultsConfigured };
    return s_keys;
}

// --- First run and upgrades ------------------------------------------------------------------

void Configuration::setupUserDefauls()
{
    setVersion(bundleVersion());
    setNumberOfRuns(0);
    setDefaultsConfigured(true);
    setGravity(kDefaultGravity);
    setDamping(kDefaultDamping);
    setNumberOfBalls(20);
    setBackgroundImage(kStockBackground);
    setBallImage(kStockBall);
    setCustomFaceImage(std::nullopt);
    setRagdollClass(kStockRagdoll);
    setUseAccelerometer(true);
    setDrawPersonAsWireframe(false);
    setDrawBallsAsWireframe(false);
    setShowPainMeter(false);
    setPlaySoundFx(true);
}

bool Configuration::isUpToDate() const
{
    const std::optional<std::string> stored = store().stringForKey(kVersion);
    const std::string bundle = bundleVersion();
    // An unknown bundle version must not make every store look current.
    return stored && !bundle.empty() && *stored == bundle;
}

void Configuration::resetLooksToStock()
{
    setRagdollClass(kStockRagdoll);
    setBackgroundImage(kStockBackground);
    setBallImage(kStockBall);
}

void Configuration::upgradeToVersion101()
{
    if (version() != "1.00")
        return;
    setShowPainMeter(false);
    setVersion("1.01");
}

void Configuration::upgradeToVersion102()
{
    if (version() != "1.01")
        return;
    if (!customFaceImage()) {
        resetLooksToStock();
        setShowPainMeter(false);
    } else {
        setRagdollClass(kStockRagdoll);
    }
    setVersion("1.02");
}

void Configuration::upgradeToVersion103()
{
    if (version() == "1.02")
        setVersion("1.03");
}

void Configuration::upgradeToVersion104()
{
    if (version() == "1.03")
        setVersion("1.04");
}

void Configuration::upgradeToVersion105()
{
    if (version() == "1.04")
        setVersion("1.05");
}

void Configuration::upgradeToVersion106()
{
    if (version() == "1.05")
        setVersion("1.06");
}

void Configuration::upgradeToVersion107()
{
    if (version() != "1.06")
        return;
    setPlaySoundFx(true);
    setVersion("1.07");
}

void Configuration::upgradeToVersion108()
{
    if (version() != "1.07")
        return;
    if (!customFaceImage())
        resetLooksToStock();
    setVersion("1.08");
}

void Configuration::upgradeToVersion109()
{
    if (version() != "1.08")
        return;
    if (!customFaceImage())
        resetLooksToStock();
    setVersion("1.09");
}

void Configuration::upgradeToVersion110()
{
    if (version() != "1.09")
        return;
    if (!customFaceImage())
        resetLooksToStock();
    setVersion("1.10");
}

// --- Headphones ----------------------------------------------------------------------------------

bool Configuration::headphonesAttached()
{
    if (s_audioRouteKnown)
        return s_headphonesAttached;
    std::string route;
    // Unknown stays unknown, so the next call asks again.
    if (!Host::current().currentAudioRoute(route))
        return false;
    s_headphonesAttached = route == kHeadphoneRoute;
    // The host reports every later change through its listener, which forwards to
    // audioRoute_Changed, so from here on the flag is kept current.
    s_audioRouteKnown = true;
    return s_headphonesAttached;
}

void Configuration::audioRoute_Changed(const std::string& route)
{
    s_headphonesAttached = route == kHeadphoneRoute;
    s_audioRouteKnown = true;
}

// --- Properties -------------------------------------------------------------------------------

bool Configuration::firstRun() const { return store().boolForKey(kFirstRun); }
void Configuration::setFirstRun(bool firstRun) { store().setBool(kFirstRun, firstRun); }

std::string Configuration::version() const { return store().stringForKey(kVersion).value_or(std::string()); }
void Configuration::setVersion(const std::string& version) { store().setString(kVersion, version); }

int Configuration::numberOfRuns() const { return clampToInt(store().integerForKey(kNumberOfRuns)); }
void Configuration::setNumberOfRuns(int numberOfRuns) { store().setInteger(kNumberOfRuns, numberOfRuns); }

// The physics settings come back within what the option pages can set: a damaged or edited
// store must not hand the physics a value that freezes every start.
float Configuration::gravity() const
{
    const double gravity = readNumber(store(), kGravity).value_or(kDefaultGravity);
    return static_cast<float>(std::clamp(gravity, 0.0, static_cast<double>(kMaxGravity)));
}
void Configuration::setGravity(float gravity) { store().setFloat(kGravity, gravity); }

float Configuration::damping() const
{
    const double damping = readNumber(store(), kDamping).value_or(kDefaultDamping);
    return static_cast<float>(
        std::clamp(damping, static_cast<double>(kMinDamping), static_cast<double>(kMaxDamping)));
}
void Configuration::setDamping(float damping) { store().setFloat(kDamping, damping); }

int Configuration::numberOfBalls() const
{
    return static_cast<int>(std::clamp<std::int64_t>(store().integerForKey(kNumberOfBalls), 0, kMaxBalls));
}
void Configuration::setNumberOfBalls(int numberOfBalls) { store().setInteger(kNumberOfBalls, numberOfBalls); }

// A picture setting must name one of the game's own pictures: an empty name stops the texture
// cache, and a path would read whatever file it points at. Anything else reads as the stock
// picture, said once per setting and value.
std::string Configuration::pictureSetting(const char* key, const char* stock) const
{
    const std::string name = store().stringForKey(key).value_or(std::string());
    const bool plainName = !name.empty() && name.find_first_of(std::string("/\\\0", 3)) == std::string::npos
        && name != "." && name != "..";
    if (plainName && !Host::current().resourcePath(name).empty())
        return name;
    static std::set<std::pair<std::string, std::string>> s_reported;
    if (s_reported.emplace(key, name).second)
        std::fprintf(stderr, "Setting %s names no picture of the game (\"%s\"); using %s\n", key,
            printable(name).c_str(), stock);
    return stock;
}

std::string Configuration::backgroundImage() const
{
    return pictureSetting(kBackgroundImage, kStockBackground);
}
void Configuration::setBackgroundImage(const std::string& backgroundImage)
{
    store().setString(kBackgroundImage, backgroundImage);
}

std::string Configuration::ballImage() const { return pictureSetting(kBallImage, kStockBall); }
void Configuration::setBallImage(const std::string& ballImage) { store().setString(kBallImage, ballImage); }

std::string Configuration::ragdollClass() const
{
    return store().stringForKey(kRagdollClass).value_or(std::string());
}
void Configuration::setRagdollClass(const std::string& ragdollClass)
{
    store().setString(kRagdollClass, ragdollClass);
}

std::optional<Configuration::Bytes> Configuration::customFaceImage() const
{
    return store().dataForKey(kCustomFaceImage);
}
void Configuration::setCustomFaceImage(std::optional<Bytes> customFaceImage)
{
    store().setData(kCustomFaceImage, std::move(customFaceImage));
}

bool Configuration::useAccelerometer() const { return store().boolForKey(kUseAccelerometer); }
void Configuration::setUseAccelerometer(bool useAccelerometer)
{
    store().setBool(kUseAccelerometer, useAccelerometer);
}

bool Configuration::drawPersonAsWireframe() const { return store().boolForKey(kDrawPersonAsWireframe); }
void Configuration::setDrawPersonAsWireframe(bool drawPersonAsWireframe)
{
    store().setBool(kDrawPersonAsWireframe, drawPersonAsWireframe);
}

bool Configuration::drawBallsAsWireframe() const { return store().boolForKey(kDrawBallsAsWireframe); }
void Configuration::setDrawBallsAsWireframe(bool drawBallsAsWireframe)
{
    store().setBool(kDrawBallsAsWireframe, drawBallsAsWireframe);
}

bool Configuration::showPainMeter() const { return store().boolForKey(kShowPainMeter); }
void Configuration::setShowPainMeter(bool showPainMeter) { store().setBool(kShowPainMeter, showPainMeter); }

bool Configuration::playSoundFx() const { return store().boolForKey(kPlaySoundFx); }
void Configuration::setPlaySoundFx(bool playSoundFx) { store().setBool(kPlaySoundFx, playSoundFx); }

bool Configuration::defaultsConfigured() const { return store().boolForKey(kDefaultsConfigured); }
void Configuration::setDefaultsConfigured(bool defaultsConfigured)
{
    store().setBool(kDefaultsConfigured, defaultsConfigured);
}
