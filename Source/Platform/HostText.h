#pragma once
// Text rendered into 8-bit coverage bitmaps.

#include <cstdint>
#include <string>
#include <vector>

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

class HostText {
public:
    virtual ~HostText() = default;
    // Size in points the text needs (width of the widest line, height of all lines).
    [[nodiscard]] virtual bool measureText(const HostTextRequest& request, float& width, float& height) = 0;
    [[nodiscard]] virtual bool renderText(const HostTextRequest& request, HostTextBitmap& out) = 0;
};
