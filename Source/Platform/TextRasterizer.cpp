#include "Platform/TextRasterizer.h"
#include "Platform/Log.h"

#include "Platform/ResourceLocator.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Keeps a runaway label (a huge box or font) from asking for gigabytes.
constexpr long kMaxBitmapPixels = 4096L * 4096L;
constexpr std::size_t kMaxOpenFonts = 48;

std::string lowercase(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

struct FontQuery {
    std::string family;
    bool bold = false;
    bool italic = false;
};

// "Helvetica-BoldOblique" -> Helvetica, bold, italic. The phone names faces that way.
FontQuery parseFontName(const std::string& name)
{
    FontQuery query;
    query.family = name;
    const std::size_t dash = name.find('-');
    if (dash != std::string::npos && dash > 0) {
        query.family = name.substr(0, dash);
        const std::string style = lowercase(name.substr(dash + 1));
        query.bold = style.find("bold") != std::string::npos || style.find("heavy") != std::string::npos;
        query.italic
            = style.find("italic") != std::string::npos || style.find("oblique") != std::string::npos;
    }
    const std::string lower = lowercase(query.family);
    if (lower.find(" bold") != std::string::npos)
        query.bold = true;
    return query;
}

// Liberation fonts share their metrics with these, so text measures as it did on the phone.
const char* metricCompatibleFamily(const std::string& family)
{
    const std::string f = lowercase(family);
    if (f == "helvetica" || f == "helvetica neue" || f == "helveticaneue" || f == "arial" || f == "arialmt")
        return "Liberation Sans";
    if (f == "courier" || f == "courier new" || f == "couriernew" || f == "couriernewpsmt")
        return "Liberation Mono";
    if (f == "times" || f == "times new roman" || f == "timesnewroman" || f == "timesnewromanpsmt")
        return "Liberation Serif";
    return nullptr;
}

// Last resort when fontconfig finds nothing SDL_ttf can open: the font shipped with the
// resources first, since a system with no fonts at all must still show labels.
std::vector<std::string> fallbackFiles()
{
    std::vector<std::string> files;
    if (std::string shipped = ResourceLocator::pathFor("Fonts/LiberationSans-Regular.ttf"); !shipped.empty())
        files.push_back(std::move(shipped));
    for (const char* system : { "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
             "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf" })
        files.emplace_back(system);
    return files;
}

std::size_t utf8Advance(const std::string& s, std::size_t pos, int characters)
{
    while (characters > 0 && pos < s.size()) {
        ++pos;
        while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80)
            ++pos;
        --characters;
    }
    return pos;
}

} // namespace

TextRasterizer& TextRasterizer::shared()
{
    static TextRasterizer s_shared;
    return s_shared;
}

TextRasterizer::TextRasterizer()
{
    m_ready = TTF_WasInit() > 0 || TTF_Init() == 0;
    if (!m_ready)
        logLine(LogLevel::Warning, "Text: cannot start SDL_ttf: %s", TTF_GetError());
}

TextRasterizer::~TextRasterizer()
{
    for (auto& [key, font] : m_fonts)
        TTF_CloseFont(font);
    if (m_ready)
        TTF_Quit();
}

TextRasterizer::FontFile TextRasterizer::resolve(const std::string& fontName)
{
    auto cached = m_resolved.find(fontName);
    if (cached != m_resolved.end())
        return cached->second;

    const FontQuery query = parseFontName(fontName);
    FontFile result;
    if (FcInit()) {
        FcPattern* pattern = FcPatternCreate();
        const char* compatible = metricCompatibleFamily(query.family);
        const std::string family
            = compatible ? compatible : (query.family.empty() ? "sans-serif" : query.family);
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        if (query.bold)
            FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
        if (query.italic)
            FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ITALIC);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult fcResult = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(nullptr, pattern, &fcResult)) {
            FcChar8* file = nullptr;
            int index = 0;
            if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
                result.path = reinterpret_cast<const char*>(file);
                if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
                    result.index = index;
            }
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
    }
    if (result.path.empty()) {
        for (const std::string& file : fallbackFiles()) {
            if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
                std::fclose(f);
                result.path = file;
                break;
            }
        }
    }
    m_resolved[fontName] = result;
    return result;
}

std::string TextRasterizer::fontFileFor(const std::string& fontName) { return resolve(fontName).path; }

TTF_Font* TextRasterizer::font(const std::string& fontName, float pixelSize, std::string& error)
{
    if (!m_ready) {
        error = "SDL_ttf is not available";
        return nullptr;
    }
    if (!std::isfinite(pixelSize) || pixelSize <= 0 || pixelSize > 2048) {
        error = "font size out of range";
        return nullptr;
    }
    const int size = std::max(1, int(std::lround(pixelSize)));
    FontFile file = resolve(fontName);
    const auto key = std::make_pair(file.path + "#" + std::to_string(file.index), size);
    auto found = m_fonts.find(key);
    if (found != m_fonts.end())
        return found->second;

    TTF_Font* opened = file.path.empty() ? nullptr : TTF_OpenFontIndex(file.path.c_str(), size, file.index);
    if (!opened) {
        // fontconfig may hand out a format FreeType cannot open here; the stock fonts always work.
        for (const std::string& fallback : fallbackFiles()) {
            if ((opened = TTF_OpenFont(fallback.c_str(), size)) != nullptr) {
                m_resolved[fontName] = FontFile { fallback, 0 };
                break;
            }
        }
    }
    if (!opened) {
        error = "no usable font for \"" + fontName + "\"";
        return nullptr;
    }
    if (m_fonts.size() >= kMaxOpenFonts) {
        for (auto& [k, f] : m_fonts)
            TTF_CloseFont(f);
        m_fonts.clear();
    }
    m_fonts[key] = opened;
    return opened;
}

int TextRasterizer::textWidth(TTF_Font* font, const std::string& text)
{
    int w = 0, h = 0;
    if (text.empty() || TTF_SizeUTF8(font, text.c_str(), &w, &h) != 0)
        return 0;
    return w;
}

void TextRasterizer::wrapParagraph(
    TTF_Font* font, const std::string& paragraph, int maxWidth, std::vector<Line>& lines)
{
    if (maxWidth <= 0) {
        lines.push_back({ paragraph, textWidth(font, paragraph) });
        return;
    }
    std::size_t pos = 0;
    bool emitted = false;
    while (pos < paragraph.size()) {
        // Greedy: take words while the line (without its trailing spaces) still fits.
        std::size_t lineEnd = std::string::npos;
        std::size_t scan = pos;
        while (scan < paragraph.size()) {
            std::size_t wordEnd = paragraph.find(' ', scan);
            if (wordEnd == std::string::npos)
                wordEnd = paragraph.size();
            if (wordEnd > scan && textWidth(font, paragraph.substr(pos, wordEnd - pos)) > maxWidth)
                break;
            lineEnd = wordEnd;
            scan = wordEnd;
            while (scan < paragraph.size() && paragraph[scan] == ' ')
                ++scan;
        }
        if (lineEnd == std::string::npos || lineEnd == pos) {
            // The first word alone is too wide: break it where the box ends.
            while (pos < paragraph.size() && paragraph[pos] == ' ')
                ++pos;
            if (pos >= paragraph.size())
                break;
            int extent = 0, count = 0;
            std::size_t wordEnd = paragraph.find(' ', pos);
            if (wordEnd == std::string::npos)
                wordEnd = paragraph.size();
            const std::string word = paragraph.substr(pos, wordEnd - pos);
            TTF_MeasureUTF8(font, word.c_str(), maxWidth, &extent, &count);
            lineEnd = utf8Advance(paragraph, pos, std::max(1, count));
            scan = lineEnd;
        }
        std::string text = paragraph.substr(pos, lineEnd - pos);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        lines.push_back({ text, textWidth(font, text) });
        emitted = true;
        pos = scan;
    }
    if (!emitted)
        lines.push_back({ std::string(), 0 });
}

bool TextRasterizer::layout(
    TTF_Font* font, const std::string& text, int maxWidth, Layout& out, std::string& error)
{
    (void)error;
    out = Layout();
    out.lineSkip = std::max(1, TTF_FontLineSkip(font));
    std::string paragraph;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '\n';
        if (c == '\n') {
            wrapParagraph(font, paragraph, maxWidth, out.lines);
            paragraph.clear();
        } else if (c == '\t') {
            paragraph += ' ';
        } else if (c != '\r') {
            paragraph += c;
        }
    }
    for (const Line& line : out.lines)
        out.width = std::max(out.width, line.width);
    return true;
}

bool TextRasterizer::measure(const HostTextRequest& request, float& width, float& height, std::string& error)
{
    const float scale = request.scale > 0 && std::isfinite(request.scale) ? request.scale : 1.0f;
    TTF_Font* f = font(request.fontName, request.fontSize * scale, error);
    if (!f)
        return false;
    const int maxWidth = request.width > 0 ? int(std::ceil(request.width * scale - 1e-3f)) : 0;
    Layout lay;
    if (!layout(f, request.text, maxWidth, lay, error))
        return false;
    width = float(lay.width) / scale;
    height = float(int(lay.lines.size()) * lay.lineSkip) / scale;
    return true;
}

bool TextRasterizer::render(const HostTextRequest& request, HostTextBitmap& out, std::string& error)
{
    const float scale = request.scale > 0 && std::isfinite(request.scale) ? request.scale : 1.0f;
    if (!std::isfinite(request.width) || !std::isfinite(request.height) || request.width < 0
        || request.height < 0) {
        error = "text box size out of range";
        return false;
    }
    TTF_Font* f = font(request.fontName, request.fontSize * scale, error);
    if (!f)
        return false;
    const int boxWidth = request.width > 0 ? int(std::ceil(request.width * scale - 1e-3f)) : 0;
    const int boxHeight = request.height > 0 ? int(std::ceil(request.height * scale - 1e-3f)) : 0;
    Layout lay;
    if (!layout(f, request.text, boxWidth, lay, error))
        return false;

    const int width = std::max(1, boxWidth > 0 ? boxWidth : lay.width);
    const int height = std::max(1, boxHeight > 0 ? boxHeight : int(lay.lines.size()) * lay.lineSkip);
    if (long(width) * long(height) > kMaxBitmapPixels) {
        error = "text bitmap of " + std::to_string(width) + " x " + std::to_string(height)
            + " pixels is too large";
        return false;
    }
    out.width = width;
    out.height = height;
    out.alpha.assign(std::size_t(width) * std::size_t(height), 0);

    const SDL_Color white = { 255, 255, 255, 255 };
    for (std::size_t i = 0; i < lay.lines.size(); ++i) {
        const Line& line = lay.lines[i];
        const int top = int(i) * lay.lineSkip;
        if (top >= height)
            break;
        if (line.text.empty())
            continue;
        SDL_Surface* glyphs = TTF_RenderUTF8_Blended(f, line.text.c_str(), white);
        if (!glyphs)
            continue; // nothing drawable on this line
        int left = 0;
        if (request.alignment == 1)
            left = (width - glyphs->w) / 2;
        else if (request.alignment == 2)
            left = width - glyphs->w;
        SDL_LockSurface(glyphs);
        const std::uint32_t aMask = glyphs->format->Amask;
        const int aShift = glyphs->format->Ashift;
        for (int y = 0; y < glyphs->h && top + y < height; ++y) {
            const auto* row
                = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(glyphs->pixels)
                    + std::size_t(y) * std::size_t(glyphs->pitch));
            std::uint8_t* dst = out.alpha.data() + std::size_t(top + y) * std::size_t(width);
            for (int x = 0; x < glyphs->w; ++x) {
                const int dx = left + x;
                if (dx < 0 || dx >= width)
                    continue;
                const auto a = std::uint8_t((row[x] & aMask) >> aShift);
                dst[dx] = std::max(dst[dx], a);
            }
        }
        SDL_UnlockSurface(glyphs);
        SDL_FreeSurface(glyphs);
    }
    return true;
}
