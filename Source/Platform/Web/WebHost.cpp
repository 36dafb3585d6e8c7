#include "Platform/Web/WebHost.h"

#include "Platform/ExifOrientation.h"
#include "Platform/VirtualAccelerometer.h"
#include "Platform/Web/WebPhotoLibrary.h"
#include "Platform/Web/WebStore.h"

#include <GLES/gl.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <sys/time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace fs = std::filesystem;

// The bodies below are JavaScript.
// clang-format off
// --- The page's side ----------------------------------------------------------------------------

// Lines wrap at spaces inside boxWidth (pixels; 0 = no wrapping). With render set, returns a
// malloc'd coverage bitmap of the box (or of the text when the box is 0 x 0); the caller frees it.
EM_JS(std::uint8_t*, bz_js_text,
    (const char* text, const char* font, float pixelSize, float boxWidth, float boxHeight, int alignment,
        int render, int* outWidth, int* outHeight),
    {
        const families = {
            "Helvetica" : '"Liberation Sans", Helvetica, Arial, sans-serif',
            "Marker Felt" : '"Marker Felt", "Comic Sans MS", "Chalkboard SE", cursive',
            "Courier New" : '"Liberation Mono", "Courier New", monospace',
        };
        const name = UTF8ToString(font);
        const css = pixelSize + "px " + (families[name] || ('"' + name + '", sans-serif'));
        const canvas = Module.bzTextCanvas || (Module.bzTextCanvas = document.createElement("canvas"));
        let ctx = canvas.getContext("2d", { willReadFrequently : true });
        ctx.font = css;
        const lines = [];
        for (const paragraph of UTF8ToString(text).split("\n")) {
            if (boxWidth <= 0) {
                lines.push(paragraph);
                continue;
            }
            let line = "";
            for (const word of paragraph.split(" ")) {
                const candidate = line ? line + " " + word : word;
                if (line && ctx.measureText(candidate).width > boxWidth) {
                    lines.push(line);
                    line = word;
                } else
                    line = candidate;
            }
            lines.push(line);
        }
        const metrics = ctx.measureText("Hg");
        const ascent = Math.ceil(metrics.fontBoundingBoxAscent || pixelSize * 0.9);
        const descent = Math.ceil(metrics.fontBoundingBoxDescent || pixelSize * 0.25);
        const lineSkip = ascent + descent;
        let widest = 0;
        for (const line of lines)
            widest = Math.max(widest, Math.ceil(ctx.measureText(line).width));
        const width = boxWidth > 0 && boxHeight > 0 ? Math.ceil(boxWidth) : widest;
        const height = boxWidth > 0 && boxHeight > 0 ? Math.ceil(boxHeight) : lineSkip * lines.length;
        HEAP32[outWidth >> 2] = width;
        HEAP32[outHeight >> 2] = height;
        if (!render || width <= 0 || height <= 0)
            return 0;
        canvas.width = width;
        canvas.height = height;
        ctx = canvas.getContext("2d", { willReadFrequently : true });
        ctx.clearRect(0, 0, width, height);
        ctx.font = css;
        ctx.fillStyle = "#fff";
        ctx.textBaseline = "alphabetic";
        lines.forEach((line, i) => {
            const w = ctx.measureText(line).width;
            const x = alignment == 0 ? 0 : alignment == 2 ? width - w : (width - w) / 2;
            ctx.fillText(line, x, i * lineSkip + ascent);
        });
        const rgba = ctx.getImageData(0, 0, width, height).data;
        const out = _malloc(width * height);
        for (let i = 0; i < width * height; ++i)
            HEAPU8[out + i] = rgba[i * 4 + 3];
        return out;
    });

EM_JS(void, bz_js_storage_read, (), {
    const entries = {};
    try {
        for (let i = 0; i < localStorage.length; ++i) {
            const key = localStorage.key(i);
            if (key.startsWith("bonzelar."))
                entries[key.substring(9)] = localStorage.getItem(key);
        }
    } catch (e) {
    }
    Module.bzStorageEntries = JSON.stringify(entries);
});

EM_JS(char*, bz_js_storage_take, (), {
    const text = Module.bzStorageEntries || "{}";
    Module.bzStorageEntries = null;
    const size = lengthBytesUTF8(text) + 1;
    const out = _malloc(size);
    stringToUTF8(text, out, size);
    return out;
});

EM_JS(int, bz_js_storage_write, (const char* key, const char* text), {
    try {
        const name = "bonzelar." + UTF8ToString(key);
        if (text)
            localStorage.setItem(name, UTF8ToString(text));
        else
            localStorage.removeItem(name);
        return 1;
    } catch (e) {
        return 0;
    }
});

EM_JS(void, bz_js_notice, (const char* text), {
    if (Module.bzNotice)
        Module.bzNotice(UTF8ToString(text));
});

EM_JS(int, bz_js_sound_create, (const char* path),
    { return Module.bzSounds ? Module.bzSounds.create(UTF8ToString(path)) : -1; });
EM_JS(void, bz_js_sound_play, (int id), {
    if (Module.bzSounds)
        Module.bzSounds.play(id);
});
EM_JS(void, bz_js_sound_dispose, (int id), {
    if (Module.bzSounds)
        Module.bzSounds.dispose(id);
});
EM_JS(void, bz_js_open, (const char* url), { window.open(UTF8ToString(url), "_blank", "noopener"); });

// clang-format on

// --- Entry points for the page -------------------------------------------------------------------

extern "C" {
EMSCRIPTEN_KEEPALIVE void bz_resize(int width, int height)
{
    if (WebHost* host = WebHost::shared())
        host->canvasResized(width, height);
}
EMSCRIPTEN_KEEPALIVE void bz_pointer(int phase, double id, float x, float y, double milliseconds)
{
    if (WebHost* host = WebHost::shared())
        host->pointer(phase, std::int64_t(id), x, y, milliseconds);
}
EMSCRIPTEN_KEEPALIVE void bz_motion(double x, double y, double z)
{
    if (WebHost* host = WebHost::shared())
        host->motion(x, y, z);
}
EMSCRIPTEN_KEEPALIVE void bz_orientation(int angle)
{
    if (WebHost* host = WebHost::shared())
        host->orientationChanged(angle);
}
EMSCRIPTEN_KEEPALIVE void bz_key(int code, int down, int repeat)
{
    if (WebHost* host = WebHost::shared())
        host->key(code, down != 0, repeat != 0);
}
EMSCRIPTEN_KEEPALIVE void bz_visibility(int visible)
{
    if (WebHost* host = WebHost::shared())
        host->visibilityChanged(visible != 0);
}
EMSCRIPTEN_KEEPALIVE void bz_pagehide()
{
    if (WebHost* host = WebHost::shared())
        host->pageHidden();
}
// The program's own time of each frame since the last call, in milliseconds, as a JSON array
// (for the browser benchmark; what the browser does after the frame's task is not in it).
EMSCRIPTEN_KEEPALIVE const char* bz_frame_work()
{
    static std::string text;
    text = "[";
    if (WebHost* host = WebHost::shared())
        for (double ms : host->takeFrameWork())
            text += (text.size() > 1 ? "," : "") + std::to_string(ms);
    text += "]";
    return text.c_str();
}
EMSCRIPTEN_KEEPALIVE void bz_sound_ended(int id)
{
    if (WebHost* host = WebHost::shared())
        host->soundEnded(Host::SystemSoundID(id));
}
}

namespace {

void runFrame(void* host) { static_cast<WebHost*>(host)->frame(); }

// The same rule as the desktop's: only pages and mail go to the browser.
bool isOpenableURL(const std::string& url)
{
    if (url.empty() || url.size() > 2048)
        return false;
    for (unsigned char c : url)
        if (c < 0x21 || c == 0x7f)
            return false;
    for (const char* scheme : { "http://", "https://", "mailto:" })
        if (url.rfind(scheme, 0) == 0)
            return url.size() > std::strlen(scheme);
    return false;
}

} // namespace

WebHost* WebHost::s_shared = nullptr;

WebHost::WebHost()
    : m_virtual(std::make_unique<VirtualAccelerometer>())
    , m_photos(std::make_unique<WebPhotoLibrary>())
{
    s_shared = this;
    m_clockOrigin = emscripten_get_now() / 1000.0;
    std::error_code ignored;
    fs::create_directories(dataDirectory(), ignored);
}

WebHost::~WebHost()
{
    emscripten_cancel_main_loop();
    if (m_context)
        emscripten_webgl_destroy_context(m_context);
    if (s_shared == this)
        s_shared = nullptr;
}

// --- Surface ----------------------------------------------------------------------------------------

bool WebHost::createSurface(int widthPoints, int heightPoints, int colorBits, int depthBits)
{
    if (m_context)
        return true;
    m_pointsWidth = widthPoints;
    m_pointsHeight = heightPoints;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = false; // the page behind must not show through the view's alpha
    attributes.depth = depthBits > 0;
    attributes.stencil = false;
    attributes.antialias = false;
    attributes.premultipliedAlpha = true;
    attributes.preserveDrawingBuffer = false;
    attributes.majorVersion = 1;
    (void)colorBits; // WebGL canvases are always 8 bits a channel
    m_context = emscripten_webgl_create_context("#canvas", &attributes);
    if (m_context <= 0) {
        m_context = 0;
        std::printf("Bonzelar: this browser offers no WebGL\n");
        return false;
    }
    emscripten_webgl_make_context_current(m_context);
    int width = 0, height = 0;
    emscripten_get_canvas_element_size("#canvas", &width, &height);
    canvasResized(width, height);
    return true;
}

bool WebHost::makeCurrent()
{
    return m_context && emscripten_webgl_make_context_current(m_context) == EMSCRIPTEN_RESULT_SUCCESS;
}

bool WebHost::isCurrent() const { return m_context && emscripten_webgl_get_current_context() == m_context; }

void WebHost::surfaceViewport(int& x, int& y, int& width, int& height) const
{
    x = m_view.x;
    y = m_view.y;
    width = m_view.width;
    height = m_view.height;
}

void WebHost::canvasResized(int width, int height)
{
    if (width == m_canvasWidth && height == m_canvasHeight)
        return;
    m_canvasWidth = width;
    m_canvasHeight = height;
    const WebViewPlacement before = m_view;
    m_view = WebViewPlacement::inside(width, height, m_pointsWidth, m_pointsHeight);
    if (!m_context || !m_frames)
        return; // the director sets the first viewport itself
    if (before.x != m_view.x || before.y != m_view.y || before.width != m_view.width
        || before.height != m_view.height) {
        glViewport(m_view.x, m_view.y, m_view.width, m_view.height);
        glScissor(m_view.x, m_view.y, m_view.width, m_view.height);
    }
}

std::vector<std::uint8_t> WebHost::readPixels(int& width, int& height)
{
    width = height = 0;
    if (!makeCurrent())
        return {};
    const int w = m_view.width, h = m_view.height;
    std::vector<std::uint8_t> bottomUp(std::size_t(w) * std::size_t(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(m_view.x, m_view.y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> out(bottomUp.size());
    const std::size_t row = std::size_t(w) * 4;
    for (int y = 0; y < h; ++y)
        std::memcpy(&out[std::size_t(y) * row], &bottomUp[std::size_t(h - 1 - y) * row], row);
    width = w;
    height = h;
    return out;
}

bool WebHost::writePNG(const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height)
{
    if (width <= 0 || height <= 0 || rgba.size() < std::size_t(width) * std::size_t(height) * 4)
        return false;
    return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

// --- Frames -----------------------------------------------------------------------------------------

void WebHost::setDisplayLink(std::function<void()> onFrame, int frameInterval)
{
    m_displayLink = std::move(onFrame);
    m_frameInterval = std::max(1, frameInterval);
}

int WebHost::run()
{
    if (!m_loopStarted) {
        m_loopStarted = true;
        // One call per animation frame of the page; main returns and the page keeps running.
        emscripten_set_main_loop_arg(runFrame, this, 0, 0);
    }
    return EXIT_SUCCESS;
}

void WebHost::requestTermination()
{
    if (m_terminated)
        return;
    m_terminated = true;
    emscripten_cancel_main_loop();
    if (m_listener)
        m_listener->hostWillTerminate();
}

void WebHost::frame()
{
    if (m_terminated)
        return;
    ++m_frames;
    deliverVirtualSamples(absoluteTime());
    if (++m_refreshes < m_frameInterval || !m_displayLink)
        return;
    m_refreshes = 0;
    // A copy: the callback may replace the link.
    std::function<void()> link = m_displayLink;
    const double started = emscripten_get_now();
    link();
    if (m_frameWork.size() < kMaxFrameWork)
        m_frameWork.push_back(emscripten_get_now() - started);
}

std::vector<double> WebHost::takeFrameWork() { return std::exchange(m_frameWork, {}); }

// --- Time -------------------------------------------------------------------------------------------

bool WebHost::gettimeofday(HostTimeValue& out)
{
    timeval now {};
    if (::gettimeofday(&now, nullptr) != 0)
        return false;
    out.tv_sec = now.tv_sec;
    out.tv_usec = std::int32_t(now.tv_usec);
    return true;
}

double WebHost::absoluteTime() { return emscripten_get_now() / 1000.0 - m_clockOrigin; }

// --- Input ------------------------------------------------------------------------------------------

void WebHost::pointer(int phase, std::int64_t id, float canvasX, float canvasY, double milliseconds)
{
    if (!m_listener || m_view.width <= 0)
        return;
    HostTouchPoint point;
    point.id = id;
    m_view.toView(canvasX, canvasY, m_canvasHeight, m_pointsWidth, point.x, point.y);
    // When the finger moved, not when a busy page got round to it: tap counts depend on it.
    const double now = milliseconds / 1000.0 - m_clockOrigin;
    const auto hostPhase = static_cast<HostTouchPhase>(phase);
    switch (hostPhase) {
    case HostTouchPhase::Began:
        point.tapCount = m_taps.began(id, now, point.x, point.y);
        break;
    case HostTouchPhase::Moved:
        point.tapCount = m_taps.count(id);
        break;
    case HostTouchPhase::Ended:
        point.tapCount = m_taps.count(id);
        m_taps.ended(id, now, point.x, point.y);
        break;
    case HostTouchPhase::Cancelled:
        point.tapCount = m_taps.count(id);
        m_taps.cancelled(id);
        break;
    }
    m_listener->hostTouches(hostPhase, { point }, now);
}

void WebHost::motion(double ax, double ay, double az)
{
    m_hadMotion = true;
    double x = 0, y = 0, z = 0;
    m_motion.convert(ax, ay, az, x, y, z);
    if (m_listener)
        m_listener->hostAcceleration(x, y, z, absoluteTime());
}

void WebHost::orientationChanged(int screenAngle)
{
    const int orientation = deviceOrientationForScreenAngle(screenAngle);
    m_virtual->setOrientation(orientation);
    if (m_listener)
        m_listener->hostOrientationChanged(orientation);
}

// Codes from the page: 0 left, 1 right, 2 up, 3 down, 4 space (shake), 5 enter, 6 escape,
// 7 backspace. The program hears each key first (menus and alerts); what it leaves, the arrows
// and the space bar, tilts and shakes the virtual phone, as on the desktop.
void WebHost::key(int code, bool down, bool repeat)
{
    if (code < 0 || code > 7)
        return;
    static constexpr HostKey kKeys[] = { HostKey::Left, HostKey::Right, HostKey::Up, HostKey::Down,
        HostKey::Space, HostKey::Enter, HostKey::Escape, HostKey::Backspace };
    // Held arrows keep moving a menu's highlight; other keys act once per press.
    if (down && m_listener && (!repeat || code < 4) && m_listener->hostKey(kKeys[code]))
        return;
    if (code > 4 || (down && repeat))
        return;
    if (code == 4) {
        if (down && !m_keys[4])
            m_virtual->shake();
    }
    m_keys[code] = down;
    m_virtual->setKeys(m_keys[0], m_keys[1], m_keys[2], m_keys[3]);
}

// Desktop browsers have no motion sensor: the arrow keys tilt a virtual phone instead.
void WebHost::deliverVirtualSamples(double now)
{
    if (m_hadMotion || !m_listener)
        return;
    if (m_lastVirtualSample >= 0 && now - m_lastVirtualSample < m_sampleInterval * 0.9)
        return;
    const double elapsed = m_lastVirtualSample < 0 ? 0 : now - m_lastVirtualSample;
    m_lastVirtualSample = now;
    const bool untouched = !m_keys[0] && !m_keys[1] && !m_keys[2] && !m_keys[3];
    // Upright and still sends nothing, so a sensor that speaks later is not fought.
    if (untouched && !m_virtual->isShaking() && m_virtual->rollDegrees() == 0
        && m_virtual->pitchDegrees() == 0)
        return;
    m_virtual->advance(elapsed);
    double x = 0, y = 0, z = 0;
    m_virtual->sample(x, y, z);
    m_listener->hostAcceleration(x, y, z, now);
}

void WebHost::visibilityChanged(bool visible)
{
    if (visible == m_active || !m_listener)
        return;
    m_active = visible;
    if (visible)
        m_listener->hostDidBecomeActive();
    else
        m_listener->hostWillResignActive();
}

void WebHost::pageHidden()
{
    visibilityChanged(false);
    // Nothing after this is certain to run; a page restored from the back-forward cache comes
    // back through visibilitychange.
}

// --- Pictures and text ------------------------------------------------------------------------------

bool WebHost::decodeImageFile(const std::string& path, int maxSide, HostImage& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::printf("Cannot open picture %s\n", path.c_str());
        return false;
    }
    const std::vector<std::uint8_t> bytes(
        (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!decodeImageData(bytes.data(), bytes.size(), maxSide, out)) {
        std::printf("Cannot decode picture %s\n", path.c_str());
        return false;
    }
    return true;
}

bool WebHost::decodeImageData(const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out)
{
    std::string error;
    if (!decodePicture(data, size, maxSide, out, error)) {
        std::printf("Picture not usable: %s\n", error.c_str());
        return false;
    }
    return true;
}

bool WebHost::decodePicture(
    const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out, std::string& error)
{
    constexpr int kAbsoluteMaxSide = 16384;
    const int limit = maxSide > 0 ? std::min(maxSide, kAbsoluteMaxSide) : kAbsoluteMaxSide;
    int width = 0, height = 0, channels = 0;
    // The header first: a huge picture is refused before its pixels are decoded.
    if (!data || size == 0 || size > (256u << 20)
        || !stbi_info_from_memory(data, int(size), &width, &height, &channels)) {
        error = "not a PNG or JPEG picture, or its header is damaged";
        return false;
    }
    if (width <= 0 || height <= 0 || width > limit || height > limit) {
        error = "picture is " + std::to_string(width) + " x " + std::to_string(height) + ", larger than "
            + std::to_string(limit) + " pixels a side";
        return false;
    }
    int w = 0, h = 0, n = 0;
    stbi_uc* pixels = stbi_load_from_memory(data, int(size), &w, &h, &n, 4);
    if (!pixels) {
        error = std::string("cannot decode: ") + stbi_failure_reason();
        return false;
    }
    out.width = w;
    out.height = h;
    out.hasAlpha = n == 2 || n == 4;
    out.rgba.assign(pixels, pixels + std::size_t(w) * std::size_t(h) * 4);
    stbi_image_free(pixels);
    // Phone cameras store pictures as the sensor saw them and say in EXIF how they were held.
    ExifOrientation::turnUpright(out, ExifOrientation::ofJPEG(data, size));
    return true;
}

bool WebHost::encodePNG(const HostImage& image, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (image.width <= 0 || image.height <= 0)
        return false;
    auto append = [](void* context, void* data, int size) {
        auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
        bytes->insert(
            bytes->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    };
    return stbi_write_png_to_func(
               append, &out, image.width, image.height, 4, image.rgba.data(), image.width * 4)
        != 0;
}

bool WebHost::measureText(const HostTextRequest& request, float& width, float& height)
{
    const float scale = std::max(1.0f, request.scale);
    int w = 0, h = 0;
    bz_js_text(request.text.c_str(), request.fontName.c_str(), request.fontSize * scale,
        request.width * scale, 0, request.alignment, 0, &w, &h);
    width = float(w) / scale;
    height = float(h) / scale;
    return true;
}

bool WebHost::renderText(const HostTextRequest& request, HostTextBitmap& out)
{
    const float scale = std::max(1.0f, request.scale);
    int w = 0, h = 0;
    std::uint8_t* alpha = bz_js_text(request.text.c_str(), request.fontName.c_str(), request.fontSize * scale,
        request.width * scale, request.height * scale, request.alignment, 1, &w, &h);
    out.width = w;
    out.height = h;
    out.alpha.assign(std::size_t(std::max(0, w)) * std::size_t(std::max(0, h)), 0);
    if (alpha) {
        std::memcpy(out.alpha.data(), alpha, out.alpha.size());
        std::free(alpha);
    }
    return true;
}

// --- Files, store, sound, web ------------------------------------------------------------------------

std::string WebHost::resourcePath(const std::string& fileName)
{
    if (fileName.empty())
        return {};
    std::error_code ec;
    if (fileName.front() == '/')
        return fs::is_regular_file(fileName, ec) ? fileName : std::string();
    const fs::path path = fs::path("/Resources") / fileName;
    if (fs::is_regular_file(path, ec))
        return path.string();
    // Browsers decode no AIFF: the build turns those sounds into WAV files of the same name.
    const std::string extension = path.extension().string();
    if (extension == ".aif" || extension == ".aiff") {
        fs::path wav = path;
        wav.replace_extension(".wav");
        if (fs::is_regular_file(wav, ec))
            return wav.string();
    }
    // A dense screen's visit fetches only the @2x pictures; the picture's scale comes from the
    // file name, so a caller asking for the plain one gets the same size in points.
    const std::string stem = path.stem().string();
    if (stem.size() < 3 || stem.compare(stem.size() - 3, 3, "@2x") != 0) {
        const fs::path sharp = path.parent_path() / (stem + "@2x" + extension);
        if (fs::is_regular_file(sharp, ec))
            return sharp.string();
    }
    return {};
}

WebStore::Backend WebStore::browserBackend()
{
    Backend backend;
    backend.readAll = [] {
        bz_js_storage_read();
        char* text = bz_js_storage_take();
        std::map<std::string, std::string> entries;
        const nlohmann::json all = nlohmann::json::parse(text, nullptr, false);
        std::free(text);
        if (all.is_object())
            for (auto it = all.begin(); it != all.end(); ++it)
                if (it.value().is_string())
                    entries[it.key()] = it.value().get<std::string>();
        return entries;
    };
    backend.write = [](const std::string& key, const std::string* text) {
        return bz_js_storage_write(key.c_str(), text ? text->c_str() : nullptr) != 0;
    };
    return backend;
}

KeyValueStore& WebHost::store()
{
    if (!m_store)
        m_store = std::make_unique<WebStore>(WebStore::browserBackend(), [](const std::string&) {
            bz_js_notice("Settings cannot be saved in this browser; they last until the page closes.");
        });
    return *m_store;
}

bool WebHost::currentAudioRoute(std::string& route)
{
    // The page cannot tell headphones from speakers.
    route = "Speaker";
    return true;
}

void WebHost::initSystemSounds() { }

Host::SystemSoundID WebHost::createSystemSound(const std::string& path)
{
    const int id = bz_js_sound_create(path.c_str());
    return id < 0 ? kNoSystemSound : SystemSoundID(id);
}

void WebHost::disposeSystemSound(SystemSoundID id)
{
    m_completions.erase(id);
    bz_js_sound_dispose(int(id));
}

void WebHost::playSystemSound(SystemSoundID id)
{
    if (id != kNoSystemSound)
        bz_js_sound_play(int(id));
}

void WebHost::setSystemSoundCompletion(SystemSoundID id, std::function<void()> completion)
{
    if (completion)
        m_completions[id] = std::move(completion);
    else
        m_completions.erase(id);
}

void WebHost::soundEnded(SystemSoundID id)
{
    auto found = m_completions.find(id);
    if (found == m_completions.end())
        return;
    std::function<void()> completion = found->second; // may remove itself
    completion();
}

bool WebHost::openURL(const std::string& url)
{
    if (!isOpenableURL(url))
        return false;
    bz_js_open(url.c_str());
    return true;
}

PhotoLibrary* WebHost::photoLibrary() { return m_photos.get(); }

// --- What every host has, done the browser's way ------------------------------------------------------

double HostClock::currentDate()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

bool HostFiles::makeDirectory(const std::string& path, int mode)
{
    (void)mode; // the page's file system has no permissions to speak of
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

std::vector<std::string> HostShell::callStack()
{
    std::vector<std::string> lines;
    const int size = emscripten_get_callstack(EM_LOG_JS_STACK, nullptr, 0);
    if (size <= 0)
        return lines;
    std::string text(std::size_t(size), '\0');
    emscripten_get_callstack(EM_LOG_JS_STACK, text.data(), size);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start && text[start] != '\0')
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
