#pragma once
// The one door between the program and the machine it runs on.
//
// Everything above Source/Platform talks to the window, GL surface, input devices, clock,
// sounds, store and browser only through this interface, so the desktop (SDL2) host, the
// headless test host and a later browser host are interchangeable. This header must never
// include SDL or OS headers.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class KeyValueStore;
class PhotoLibrary;

// A decoded picture: RGBA8, straight (not premultiplied) alpha, top row first.
struct HostImage {
    int width = 0, height = 0;
    bool hasAlpha = false; // false when the file had no alpha channel
    std::vector<std::uint8_t> rgba;
};

// Text to rasterise into 8-bit coverage.
struct HostTextRequest {
    std::string text; // UTF-8
    std::string fontName; // "Helvetica", "Marker Felt", ...; resolved to an installed font
    float fontSize = 12; // points
    float width = 0, height = 0; // box in points; 0 x 0 means "as large as the text needs"
    int alignment = 1; // 0 left, 1 centre, 2 right; lines wrap at word breaks
    float scale = 1; // pixels per point
};
struct HostTextBitmap {
    int width = 0, height = 0; // pixels
    std::vector<std::uint8_t> alpha; // coverage, top row first
};

// One finger as the host sees it. Coordinates are view points, origin top left.
struct HostTouchPoint {
    std::int64_t id = 0; // stable for the life of the finger
    float x = 0, y = 0;
    int tapCount = 1;
};

enum class HostTouchPhase { Began, Moved, Ended, Cancelled };

// The keys the program itself answers to (menus, alerts, going back).
enum class HostKey { Up, Down, Left, Right, Enter, Space, Escape, Backspace };

// Wall-clock reading with the shape the run loop's frame timing uses.
struct HostTimeValue {
    std::int64_t tv_sec = 0;
    std::int32_t tv_usec = 0;
};

// Events the host delivers, on the main thread, to whoever runs the program.
class HostListener {
public:
    virtual ~HostListener() = default;
    virtual void hostTouches(
        HostTouchPhase phase, const std::vector<HostTouchPoint>& touches, double timestamp)
        = 0;
    // One accelerometer sample in g, device axes; upright portrait gives y near -1.
    virtual void hostAcceleration(double x, double y, double z, double timestamp) = 0;
    // Device orientation 1 portrait, 2 upside down, 3 landscape left, 4 landscape right.
    virtual void hostOrientationChanged(int orientation) = 0;
    virtual void hostWillResignActive() = 0;
    virtual void hostDidBecomeActive() = 0;
    virtual void hostWillTerminate() = 0;
    // A new audio output route name ("Headphone", "Speaker", ...). Main thread.
    virtual void hostAudioRouteChanged(const std::string& route) = 0;
    // Desktop mouse extras, view points: a wheel turn (notches, positive away from the player)
    // and a drag with the secondary button. Nothing by default.
    virtual void hostWheel(float x, float y, float notches)
    {
        (void)x;
        (void)y;
        (void)notches;
    }
    virtual void hostSecondaryDrag(HostTouchPhase phase, float x, float y)
    {
        (void)phase;
        (void)x;
        (void)y;
    }
    // A key pressed, or repeating while held. True when the program used it; the host then
    // gives it no meaning of its own (Space shaking the virtual phone).
    virtual bool hostKey(HostKey key)
    {
        (void)key;
        return false;
    }
};

class Host {
public:
    virtual ~Host() = default;

    // The host the program runs on; set once at start-up by main or the test fixture.
    static Host& current();
    static Host* currentOrNull();
    static void setCurrent(Host* host);

    virtual const char* name() const = 0; // "desktop", "headless"

    // --- Listener -------------------------------------------------------------------
    virtual void setListener(HostListener* listener) = 0;

    // --- Window, GL surface and display link -----------------------------------------
    // Creates (once) the window and its OpenGL ES 1.1 context for a view of the given size in
    // points; colorBits 16 or 32, depthBits 0, 16 or 24. Returns false with a console line
    // saying why.
    virtual bool createSurface(int widthPoints, int heightPoints, int colorBits, int depthBits) = 0;
    virtual bool hasSurface() const = 0;
    virtual bool makeCurrent() = 0;
    virtual bool isCurrent() const = 0;
    // Presents the back buffer. Returns false if presentation failed.
    virtual bool swapBuffers() = 0;
    // Size in pixels of the area the view is drawn in (the letterboxed part of a fullscreen
    // window), and the pixels per point (1 unless the window is scaled).
    virtual int surfacePixelWidth() const = 0;
    virtual int surfacePixelHeight() const = 0;
    virtual float contentScale() const = 0;
    // Pixels per point that pictures and text are made at: at least contentScale, more where
    // the view can grow (a resizable window), so that growing never enlarges them.
    virtual float pictureScale() const { return contentScale(); }
    // Where the view goes in the drawable, in pixels from its bottom left: the whole surface,
    // except in a fullscreen window, where the 2:3 view is letterboxed in the middle. Pass it to
    // glViewport instead of (0, 0, width, height).
    virtual void surfaceViewport(int& x, int& y, int& width, int& height) const
    {
        x = 0;
        y = 0;
        width = surfacePixelWidth();
        height = surfacePixelHeight();
    }
    // True when the drawable is larger than the view: the margins are drawn only by clearing.
    virtual bool surfaceHasMargins() const { return false; }
    // Reads the current back buffer as RGBA8, top row first.
    virtual std::vector<std::uint8_t> readPixels(int& width, int& height) = 0;
    // Writes a PNG; true on success.
    virtual bool writePNG(
        const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height)
        = 0;

    // The display-refresh callback: called once per frame (every frameInterval refreshes).
    // An empty function stops it.
    virtual void setDisplayLink(std::function<void()> onFrame, int frameInterval) = 0;

    // Runs the main loop until termination; returns the process exit status.
    virtual int run() = 0;
    // Asks the main loop to end after the current frame (as closing the window does).
    virtual void requestTermination() = 0;

    // --- Time ---------------------------------------------------------------------------
    // Wall clock for frame timing; false if the clock cannot be read.
    virtual bool gettimeofday(HostTimeValue& out) = 0;
    // Seconds since some fixed point, monotonic (sound gating, shake debouncing).
    virtual double absoluteTime() = 0;
    // Calendar time in seconds since 1970 (UTC), for dates a player reads. The POSIX version
    // is in HostServices.cpp; the headless host counts it from its virtual clock.
    virtual double currentDate();

    // --- Accelerometer -------------------------------------------------------------------
    // Requested time between samples in seconds.
    virtual void setAccelerometerInterval(double seconds) = 0;

    // --- Status bar ------------------------------------------------------------------------
    // The phone's status bar orientation; a no-op where there is no status bar.
    virtual void setStatusBarOrientation(int orientation) { (void)orientation; }

    // --- Images and text ------------------------------------------------------------------
    // Decodes a PNG or JPEG file. Refuses (false, with a console line) pictures whose width or
    // height exceeds maxSide before decoding them whole.
    virtual bool decodeImageFile(const std::string& path, int maxSide, HostImage& out) = 0;
    virtual bool decodeImageData(const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out) = 0;
    virtual bool encodePNG(const HostImage& image, std::vector<std::uint8_t>& out) = 0;
    // Size in points the text needs (width of the widest line, height of all lines).
    virtual bool measureText(const HostTextRequest& request, float& width, float& height) = 0;
    virtual bool renderText(const HostTextRequest& request, HostTextBitmap& out) = 0;

    // --- Files and resources ----------------------------------------------------------------
    // Full path of a resource by file name, or "" when there is none.
    virtual std::string resourcePath(const std::string& fileName) = 0;
    // Folder for everything the program writes (settings, working directories).
    virtual std::string dataDirectory() = 0;
    // The persistent key-value store (opened on first use, lives as long as the host).
    virtual KeyValueStore& store() = 0;
    // Creates the folder, and any missing folders above it, with the permission bits given.
    // True when it exists afterwards. The POSIX version is in HostServices.cpp.
    virtual bool makeDirectory(const std::string& path, int mode);

    // --- Diagnostics ------------------------------------------------------------------------------
    // The calling thread's stack, innermost frame first, one readable line per frame; empty
    // where it cannot be walked. For the uncaught-exception report.
    virtual std::vector<std::string> callStack();

    // --- Audio --------------------------------------------------------------------------------
    // Current output route ("Headphone", "Speaker"); false when it cannot be read.
    virtual bool currentAudioRoute(std::string& route) = 0;

    // --- System sounds -------------------------------------------------------------------------
    // Short sound files played whole and at once, mixed with whatever else is playing, with no
    // volume or position of their own. Ids are never reused; unknown ids are ignored.
    using SystemSoundID = std::uint32_t;
    static constexpr SystemSoundID kNoSystemSound = 0xFFFFFFFFu;
    // Once per process, before the first sound: an ambient policy, mixing with other programs.
    // Never blocks on a missing audio device; sounds are then dropped.
    virtual void initSystemSounds() { }
    // A sound from a file (WAV or AIFF); kNoSystemSound when none can be made.
    virtual SystemSoundID createSystemSound(const std::string& path)
    {
        (void)path;
        return kNoSystemSound;
    }
    // Ends its playback; no completion follows.
    virtual void disposeSystemSound(SystemSoundID id) { (void)id; }
    // Starts the sound from its beginning and returns at once.
    virtual void playSystemSound(SystemSoundID id) { (void)id; }
    // Called on the main thread each time the sound has played to its end. One per sound,
    // dropped with it; an empty function removes it.
    virtual void setSystemSoundCompletion(SystemSoundID id, std::function<void()> completion)
    {
        (void)id;
        (void)completion;
    }

    // --- Photo library ----------------------------------------------------------------------------
    // Pictures for the photo picker (Platform/PhotoLibrary.h); null where there are none.
    virtual PhotoLibrary* photoLibrary() { return nullptr; }

    // --- Web ------------------------------------------------------------------------------------
    virtual bool openURL(const std::string& url) = 0;

    // --- Headless record ---------------------------------------------------------------------
    // Requests the headless host notes instead of carrying out (a sound played, ...). They show
    // up in the dump as section -> [{frame, time, what}]. Other hosts ignore them.
    virtual void recordRequest(const std::string& section, const std::string& what)
    {
        (void)section;
        (void)what;
    }
};
