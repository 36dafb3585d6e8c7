#pragma once
// The window's GL ES 1.1 surface and the display-refresh callback that drives every frame.

#include <cstdint>
#include <functional>
#include <vector>

class HostSurface {
public:
    virtual ~HostSurface() = default;

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

    // The display-refresh callback: called once per frame (every frameInterval refreshes).
    // An empty function stops it.
    virtual void setDisplayLink(std::function<void()> onFrame, int frameInterval) = 0;

    // The phone's status bar orientation; a no-op where there is no status bar.
    virtual void setStatusBarOrientation(int orientation) { (void)orientation; }
};
