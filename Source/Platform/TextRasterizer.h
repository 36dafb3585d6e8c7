#pragma once
// Text into 8-bit coverage bitmaps, with SDL_ttf for the glyphs and fontconfig for the fonts.
//
// The game asks for the phone's font names ("Helvetica", "Marker Felt", "Courier New").
// Names with a metric-compatible Liberation font map to it, so line breaks fall where the
// layouts expect them; anything else goes to fontconfig, which always offers some font.
// Main thread only.

#include "Platform/Host.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

typedef struct _TTF_Font TTF_Font;

class TextRasterizer {
public:
    static TextRasterizer& shared();

    TextRasterizer();
    ~TextRasterizer();
    TextRasterizer(const TextRasterizer&) = delete;
    TextRasterizer& operator=(const TextRasterizer&) = delete;

    // Size in points the text needs: widest line, all lines. Wraps inside request.width when
    // it is not 0.
    bool measure(const HostTextRequest& request, float& width, float& height, std::string& error);
    // The bitmap is request.width x request.height points times the scale (either 0 means "as
    // the text needs"); lines start at the top and are aligned inside the box width.
    bool render(const HostTextRequest& request, HostTextBitmap& out, std::string& error);

    // The font file a name resolves to, "" when there is no usable font at all.
    std::string fontFileFor(const std::string& fontName);

private:
    struct FontFile {
        std::string path;
        int index = 0;
    };
    struct Line {
        std::string text;
        int width = 0; // pixels
    };
    struct Layout {
        std::vector<Line> lines;
        int width = 0; // widest line, pixels
        int lineSkip = 0; // pixels from one baseline to the next
    };

    TTF_Font* font(const std::string& fontName, float pixelSize, std::string& error);
    FontFile resolve(const std::string& fontName);
    bool layout(TTF_Font* font, const std::string& text, int maxWidth, Layout& out, std::string& error);
    void wrapParagraph(TTF_Font* font, const std::string& paragraph, int maxWidth, std::vector<Line>& lines);
    int textWidth(TTF_Font* font, const std::string& text);

    bool m_ready = false;
    std::map<std::string, FontFile> m_resolved;
    std::map<std::pair<std::string, int>, TTF_Font*> m_fonts; // (path#index, pixel size)
};
