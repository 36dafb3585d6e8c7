#pragma once
// An offscreen GL ES 1.1 surface with a Host around it, for tests that draw and read pixels.
//
// Pictures decode and text renders through the host layer's real codec and rasteriser, so
// what the tests see is what the game draws. The surface is sized in points times `scale`,
// and contentScale() reports that scale.

#include "Platform/Host.h"
#include "Platform/MemoryStore.h"

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

struct RGBA8 {
    int r = 0, g = 0, b = 0, a = 0;
};

class GLTestSurface final : public Host {
public:
    GLTestSurface(int widthPoints, int heightPoints, float scale = 1);
    ~GLTestSurface() override;

    // False when no offscreen GL ES 1.1 context could be made (tests then skip).
    bool ready() const { return m_context != nullptr; }
    const std::string& error() const { return m_error; }

    // Viewport over the whole surface, an orthographic projection in points, the engine's
    // default blending, and the given clear colour.
    void begin2D(float r, float g, float b);
    // A pixel of the back buffer, x and y in pixels from the bottom left.
    RGBA8 pixel(int x, int y);
    // A pixel at a point position (its centre pixel at the surface's scale).
    RGBA8 pixelAtPoint(float x, float y);
    bool savePNG(const std::string& path);

    // Resources are looked up here (absolute names are used as they are).
    void setResourceDirectory(const std::string& dir) { m_resourceDir = dir; }
    // Writes a picture as PNG; true on success.
    bool writeImage(const std::string& path, const HostImage& image);

    // --- Host ---
    const char* name() const override { return "gltest"; }
    void setListener(HostListener*) override { }
    bool createSurface(int, int, int, int) override { return ready(); }
    bool hasSurface() const override { return ready(); }
    bool makeCurrent() override;
    bool isCurrent() const override;
    bool swapBuffers() override { return true; }
    int surfacePixelWidth() const override { return m_pixelWidth; }
    int surfacePixelHeight() const override { return m_pixelHeight; }
    float contentScale() const override { return m_scale; }
    std::vector<std::uint8_t> readPixels(int& width, int& height) override;
    bool writePNG(
        const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height) override;
    void setDisplayLink(std::function<void()>, int) override { }
    int run() override { return 0; }
    void requestTermination() override { }
    bool gettimeofday(HostTimeValue& out) override;
    double absoluteTime() override { return m_time; }
    void setAccelerometerInterval(double) override { }
    bool decodeImageFile(const std::string& path, int maxSide, HostImage& out) override;
    bool decodeImageData(const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out) override;
    bool encodePNG(const HostImage& image, std::vector<std::uint8_t>& out) override;
    bool measureText(const HostTextRequest& request, float& width, float& height) override;
    bool renderText(const HostTextRequest& request, HostTextBitmap& out) override;
    std::string resourcePath(const std::string& fileName) override;
    std::string dataDirectory() override { return "/tmp"; }
    KeyValueStore& store() override { return m_store; }
    bool currentAudioRoute(std::string& route) override
    {
        route = "Speaker";
        return true;
    }
    bool openURL(const std::string&) override { return false; }

    // Moves the clock the director reads.
    void advance(double seconds) { m_time += seconds; }

    // Files the last decodeImageFile calls were asked for, newest last.
    const std::vector<std::string>& decodedFiles() const { return m_decodedFiles; }

private:
    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
    int m_widthPoints, m_heightPoints;
    int m_pixelWidth = 0, m_pixelHeight = 0;
    float m_scale;
    double m_time = 1000;
    std::string m_error;
    std::string m_resourceDir;
    std::vector<std::string> m_decodedFiles;
    MemoryStore m_store;
    Host* m_previousHost = nullptr;
};

// A w x h picture filled by fill(x, y) -> {r, g, b, a} (straight alpha, y = 0 the top row).
template <class Fill> HostImage makeImage(int w, int h, bool hasAlpha, Fill fill)
{
    HostImage image;
    image.width = w;
    image.height = h;
    image.hasAlpha = hasAlpha;
    image.rgba.resize(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const RGBA8 c = fill(x, y);
            std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * w + x) * 4];
            p[0] = static_cast<std::uint8_t>(c.r);
            p[1] = static_cast<std::uint8_t>(c.g);
            p[2] = static_cast<std::uint8_t>(c.b);
            p[3] = static_cast<std::uint8_t>(c.a);
        }
    return image;
}

inline HostImage solidImage(int w, int h, RGBA8 c, bool hasAlpha = true)
{
    return makeImage(w, h, hasAlpha, [c](int, int) { return c; });
}

// A fresh empty directory under the system temp dir, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};
