// The committed pictures and sounds: each file a manifest.tsv under Resources/Source lists must
// exist, decode and have its size at 1x and 2x, and the files the game loads must fit the layout
// they are placed in.

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kResources = BONZELAR_TEST_RESOURCES;

struct Entry {
    std::string file;
    int width = 0;
    int height = 0;
    std::string kind;
    std::string where; // manifest and line, for messages
};

struct Manifests {
    std::vector<Entry> entries;
    std::vector<std::string> errors;
};

Manifests readManifests()
{
    Manifests m;
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(kResources / "Source"))
        if (e.is_regular_file() && e.path().filename() == "manifest.tsv")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::ifstream in(file);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty() || line[0] == '#')
                continue;
            std::vector<std::string> fields;
            std::stringstream ss(line);
            for (std::string field; std::getline(ss, field, '\t');)
                fields.push_back(field);
            const std::string where = fs::relative(file, kResources).string() + ":" + std::to_string(number);
            if (fields.size() < 3) {
                m.errors.push_back(where + ": needs name, width, height and an optional kind");
                continue;
            }
            Entry e { fields[0], 0, 0, fields.size() > 3 ? fields[3] : "picture", where };
            if (e.kind != "sound") {
                char* end = nullptr;
                e.width = static_cast<int>(std::strtol(fields[1].c_str(), &end, 10));
                const bool wOk = *end == '\0';
                e.height = static_cast<int>(std::strtol(fields[2].c_str(), &end, 10));
                if (!wOk || *end != '\0' || e.width <= 0 || e.height <= 0) {
                    m.errors.push_back(where + ": size is not two positive whole numbers");
                    continue;
                }
            }
            m.entries.push_back(e);
        }
    }
    return m;
}

const Manifests& manifests()
{
    static const Manifests m = readManifests();
    return m;
}

const Entry* findEntry(const std::string& file)
{
    for (const Entry& e : manifests().entries)
        if (e.file == file)
            return &e;
    return nullptr;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    int alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

std::optional<Picture> loadPicture(const std::string& file)
{
    SDL_Surface* loaded = IMG_Load((kResources / file).string().c_str());
    if (!loaded)
        return std::nullopt;
    SDL_Surface* s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (!s)
        return std::nullopt;
    Picture p { s->w, s->h, std::vector<std::uint8_t>(static_cast<size_t>(s->w) * s->h * 4) };
    for (int y = 0; y < s->h; ++y)
        std::copy_n(static_cast<const std::uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch,
            static_cast<size_t>(s->w) * 4, p.rgba.begin() + static_cast<std::ptrdiff_t>(y) * s->w * 4);
    SDL_FreeSurface(s);
    return p;
}

std::string twoX(const std::string& file) { return file.substr(0, file.size() - 4) + "@2x.png"; }

// Average colour weighted by alpha, plus mean alpha: equal for the same picture at any scale.
std::vector<double> meanColour(const Picture& p)
{
    double r = 0, g = 0, b = 0, a = 0;
    for (size_t i = 0; i < p.rgba.size(); i += 4) {
        const double w = p.rgba[i + 3];
        r += p.rgba[i] * w;
        g += p.rgba[i + 1] * w;
        b += p.rgba[i + 2] * w;
        a += w;
    }
    const double n = static_cast<double>(p.rgba.size() / 4);
    if (a == 0)
        return { 0, 0, 0, 0 };
    return { r / a, g / a, b / a, a / n };
}

bool anyTransparent(const Picture& p)
{
    for (size_t i = 3; i < p.rgba.size(); i += 4)
        if (p.rgba[i] == 0)
            return true;
    return false;
}

bool allOpaque(const Picture& p)
{
    for (size_t i = 3; i < p.rgba.size(); i += 4)
        if (p.rgba[i] != 255)
            return false;
    return true;
}

// What each kind promises beyond its size.
void checkKind(const Entry& e, const Picture& p)
{
    const int cx = p.width / 2, cy = p.height / 2;
    if (e.kind == "opaque") {
        EXPECT_TRUE(allOpaque(p)) << e.file << " should have no transparent pixel (" << e.where << ")";
    } else if (e.kind == "round") {
        EXPECT_EQ(p.width, p.height) << e.file;
        EXPECT_EQ(p.alpha(0, 0), 0) << e.file << " corners must be clear: it is drawn as a disc";
        EXPECT_EQ(p.alpha(p.width - 1, p.height - 1), 0) << e.file;
        EXPECT_EQ(p.alpha(cx, cy), 255) << e.file << " must be solid in the middle";
        // The disc reaches the edges: the game scales the picture's width to the ball's diameter.
        EXPECT_GT(p.alpha(cx, 0), 128) << e.file << " does not reach its top edge";
        EXPECT_GT(p.alpha(0, cy), 128) << e.file << " does not reach its left edge";
    } else if (e.kind == "frame") {
        EXPECT_EQ(p.alpha(cx, cy), 0) << e.file << " must leave the picture under it visible";
        EXPECT_GT(p.alpha(cx, 2), 0) << e.file << " has no visible edge";
    } else if (e.kind == "overlay") {
        EXPECT_TRUE(anyTransparent(p)) << e.file << " should be partly see-through (" << e.where << ")";
    } else if (e.kind.rfind("atlas:", 0) == 0) {
        int cw = 0, ch = 0;
        ASSERT_EQ(std::sscanf(e.kind.c_str(), "atlas:%dx%d", &cw, &ch), 2) << e.where;
        ASSERT_GT(cw, 0);
        EXPECT_EQ(p.height, ch) << e.file << " is one row of cells";
        EXPECT_EQ(p.width % cw, 0) << e.file << " width is not a whole number of cells";
        // Characters before the map's first one land outside the picture; its edges must draw nothing.
        for (int y = 0; y < p.height; ++y)
            EXPECT_EQ(p.alpha(0, y), 0) << e.file << " left edge, row " << y;
        for (int x = 0; x < p.width; ++x)
            EXPECT_EQ(p.alpha(x, 0), 0) << e.file << " top edge, column " << x;
        for (int cell = 0; cell < p.width / cw; ++cell) {
            bool inked = false;
            for (int y = 0; y < ch && !inked; ++y)
                for (int x = cell * cw; x < (cell + 1) * cw && !inked; ++x)
                    inked = p.alpha(x, y) > 0;
            EXPECT_TRUE(inked) << e.file << " cell " << cell << " is empty";
        }
    } else {
        EXPECT_TRUE(e.kind == "picture" || e.kind == "icon")
            << e.where << ": unknown kind \"" << e.kind << "\"";
    }
}

struct Sound {
    int channels = 0;
    int bits = 0;
    double rate = 0;
    double seconds = 0;
    double peakDb = -200;
    double rmsDb = -200;
    std::string error;
};

std::uint32_t be32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}
std::uint16_t be16(const std::uint8_t* p) { return std::uint16_t((p[0] << 8) | p[1]); }
std::uint32_t le32(const std::uint8_t* p)
{
    return (std::uint32_t(p[3]) << 24) | (p[2] << 16) | (p[1] << 8) | p[0];
}
std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t((p[1] << 8) | p[0]); }

// Read by hand: the mixer converts on load and would hide the file's own format and level.
Sound readSound(const std::string& file)
{
    Sound s;
    auto fail = [&s](const std::string& why) {
        s.error = why;
        return s;
    };
    std::ifstream in(kResources / file, std::ios::binary);
    const std::vector<std::uint8_t> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (d.size() < 12)
        return fail("too short");
    const std::string magic(d.begin(), d.begin() + 4), form(d.begin() + 8, d.begin() + 12);
    const bool aiff = magic == "FORM" && form == "AIFF";
    if (!aiff && !(magic == "RIFF" && form == "WAVE"))
        return fail("neither AIFF nor WAV");
    const std::uint8_t* samples = nullptr;
    size_t sampleBytes = 0;
    bool pcm = aiff;
    for (size_t at = 12; at + 8 <= d.size();) {
        const std::string id(
            d.begin() + static_cast<std::ptrdiff_t>(at), d.begin() + static_cast<std::ptrdiff_t>(at) + 4);
        const size_t size = aiff ? be32(&d[at + 4]) : le32(&d[at + 4]);
        const std::uint8_t* c = &d[at + 8];
        if (at + 8 + size > d.size())
            return fail("chunk " + id + " runs past the end");
        if (aiff && id == "COMM" && size >= 18) {
            s.channels = be16(c);
            s.bits = be16(c + 6);
            // 80-bit extended float: sign and 15-bit exponent, then a 64-bit mantissa.
            const int exponent = ((c[8] & 0x7f) << 8 | c[9]) - 16383 - 63;
            std::uint64_t mantissa = 0;
            for (int i = 0; i < 8; ++i)
                mantissa = mantissa << 8 | c[10 + i];
            s.rate = std::ldexp(static_cast<double>(mantissa), exponent);
        } else if (aiff && id == "SSND" && size >= 8) {
            const size_t offset = be32(c);
            samples = c + 8 + offset;
            sampleBytes = size - 8 - offset;
        } else if (!aiff && id == "fmt " && size >= 16) {
            pcm = le16(c) == 1;
            s.channels = le16(c + 2);
            s.rate = le32(c + 4);
            s.bits = le16(c + 14);
        } else if (!aiff && id == "data") {
            samples = c;
            sampleBytes = size;
        }
        at += 8 + size + (size & 1);
    }
    if (!pcm)
        return fail("not plain PCM");
    if (!samples || s.channels <= 0 || s.bits != 16 || s.rate <= 0)
        return s; // the caller reports what is missing
    const size_t count = sampleBytes / 2;
    double peak = 0, sum = 0;
    for (size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = samples + 2 * i;
        const double v = static_cast<std::int16_t>(aiff ? be16(p) : le16(p)) / 32768.0;
        peak = std::max(peak, std::fabs(v));
        sum += v * v;
    }
    s.seconds = static_cast<double>(count) / s.channels / s.rate;
    if (count > 0 && peak > 0) {
        s.peakDb = 20 * std::log10(peak);
        s.rmsDb = 10 * std::log10(sum / static_cast<double>(count));
    }
    return s;
}

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() { IMG_Init(IMG_INIT_PNG); }
    static void TearDownTestSuite() { IMG_Quit(); }

    // Size in points of a picture the game loads by name, read from the file itself.
    static std::pair<int, int> pointSize(const std::string& file)
    {
        const std::optional<Picture> p = loadPicture(file);
        EXPECT_TRUE(p) << file << " is missing or does not decode: " << IMG_GetError();
        return p ? std::make_pair(p->width, p->height) : std::make_pair(0, 0);
    }
};

TEST_F(Resources, ManifestsAreWellFormedAndNameEachFileOnce)
{
    for (const std::string& error : manifests().errors)
        ADD_FAILURE() << error;
    ASSERT_FALSE(manifests().entries.empty()) << "no manifest.tsv under " << (kResources / "Source");
    std::map<std::string, std::string> seen;
    for (const Entry& e : manifests().entries) {
        const auto [it, fresh] = seen.emplace(e.file, e.where);
        EXPECT_TRUE(fresh) << e.file << " is listed at " << it->second << " and again at " << e.where;
        const bool png = e.file.size() > 4 && e.file.compare(e.file.size() - 4, 4, ".png") == 0;
        EXPECT_EQ(png, e.kind != "sound") << e.where << ": pictures are .png files, sounds are not";
    }
}

TEST_F(Resources, EveryListedPictureDecodesAtItsSizeAndTwiceItsSize)
{
    for (const Entry& e : manifests().entries) {
        if (e.kind == "sound")
            continue;
        SCOPED_TRACE(e.where);
        const std::optional<Picture> one = loadPicture(e.file);
        ASSERT_TRUE(one) << e.file << " is missing or does not decode: " << IMG_GetError();
        EXPECT_EQ(one->width, e.width) << e.file;
        EXPECT_EQ(one->height, e.height) << e.file;
        checkKind(e, *one);
        if (e.kind == "icon")
            continue; // icons come in sized files of their own, not as 2x pairs
        const std::optional<Picture> two = loadPicture(twoX(e.file));
        ASSERT_TRUE(two) << twoX(e.file) << " is missing or does not decode";
        EXPECT_EQ(two->width, 2 * e.width) << twoX(e.file);
        EXPECT_EQ(two->height, 2 * e.height) << twoX(e.file);
        // Same content in points: the average colour and coverage hardly change with the scale.
        const std::vector<double> a = meanColour(*one), b = meanColour(*two);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(a[i], b[i], 10.0) << e.file << " and its 2x differ in colour (channel " << i << ")";
        EXPECT_NEAR(a[3], b[3], 12.0) << e.file << " and its 2x differ in coverage";
    }
}

TEST_F(Resources, EveryFileInResourcesIsListed)
{
    std::set<std::string> listed;
    for (const Entry& e : manifests().entries)
        listed.insert(e.file);
    for (const auto& f : fs::directory_iterator(kResources)) {
        if (!f.is_regular_file())
            continue;
        std::string name = f.path().filename().string();
        const std::string ext = f.path().extension().string();
        if ((ext != ".png" && ext != ".aif" && ext != ".wav") || name == "contact-sheet.png")
            continue;
        const size_t at2x = name.find("@2x.png");
        if (at2x != std::string::npos)
            name = name.substr(0, at2x) + ".png";
        EXPECT_TRUE(listed.count(name)) << f.path().filename() << " is in Resources/ but in no manifest.tsv";
    }
}

TEST_F(Resources, SoundsArePlayableShortAndAboutEquallyLoud)
{
    std::vector<std::pair<double, std::string>> loudness;
    for (const Entry& e : manifests().entries) {
        if (e.kind != "sound")
            continue;
        const Sound s = readSound(e.file);
        SCOPED_TRACE(e.file);
        ASSERT_EQ(s.error, "");
        EXPECT_TRUE(s.channels == 1 || s.channels == 2) << s.channels << " channels";
        EXPECT_EQ(s.bits, 16);
        EXPECT_TRUE(s.rate == 22050 || s.rate == 44100) << s.rate << " Hz";
        EXPECT_GT(s.seconds, 0.05);
        EXPECT_LT(s.seconds, 2.0);
        EXPECT_LE(s.peakDb, -0.5) << "clips";
        EXPECT_GE(s.peakDb, -12.0) << "far too quiet";
        loudness.emplace_back(s.rmsDb, e.file);
    }
    ASSERT_GE(loudness.size(), 2u);
    std::sort(loudness.begin(), loudness.end());
    EXPECT_LT(loudness.back().first - loudness.front().first, 9.0)
        << loudness.back().second << " is much louder than " << loudness.front().second;
}

TEST_F(Resources, GameNamesOnlyListedFiles)
{
    std::vector<std::string> named = { "Selected.png", "Pain-None.png", "Pain-Low.png", "Pain-Medium.png",
        "Pain-High.png", "fps_images.png", "OptionsInfo.png", "MenuBackground.png", "AboutLiteBackground.png",
        "MarrowLogo.png", "Spark.png", "FaceCropperHelp.png", "voice1.aif", "voice2.aif", "saber_on.wav",
        "saber_off.wav" };
    for (int i = 1; i <= 12; ++i)
        for (const char* family : { "Background", "Ball" }) {
            named.push_back(family + std::to_string(i) + ".png");
            named.push_back(family + std::to_string(i) + "_thumb.png");
        }
    for (int i = 1; i <= 6; ++i)
        named.push_back("swoosh" + std::to_string(i) + ".aif");
    for (int i = 1; i <= 5; ++i)
        named.push_back("clash" + std::to_string(i) + ".aif");
    for (const char* ragdoll : { "Rocker", "BabeBikiniProfile", "Nerd", "Dog", "Narwhal" })
        named.push_back(std::string(ragdoll) + "_Thumb.png");
    for (const std::string& file : named)
        EXPECT_TRUE(findEntry(file)) << file << " is loaded by the game but listed in no manifest.tsv";
}

TEST_F(Resources, ScreenPicturesCoverTheWindowAndBallsAreSquare)
{
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(pointSize("Background" + std::to_string(i) + ".png"), std::make_pair(320, 480)) << i;
        const auto ball = pointSize("Ball" + std::to_string(i) + ".png");
        EXPECT_EQ(ball.first, ball.second)
            << "Ball" << i << " would be squashed: its width is scaled to the diameter";
    }
    EXPECT_EQ(pointSize("MenuBackground.png"), std::make_pair(320, 480));
    EXPECT_EQ(pointSize("AboutLiteBackground.png"), std::make_pair(320, 480));
    EXPECT_EQ(pointSize("FaceCropperHelp.png"), std::make_pair(220, 171)) << "the help view's frame";
    // The hint is centred 20 points above the bottom edge and must stay on screen.
    const auto hint = pointSize("OptionsInfo.png");
    EXPECT_LE(hint.first, 320);
    EXPECT_LE(hint.second, 40);
    const auto spark = pointSize("Spark.png");
    EXPECT_EQ(spark.first, spark.second);
}

TEST_F(Resources, PainMeterBlocksAndScoreFitSideBySide)
{
    const auto none = pointSize("Pain-None.png");
    for (const char* lit : { "Pain-Low.png", "Pain-Medium.png", "Pain-High.png" })
        EXPECT_EQ(pointSize(lit), none) << lit << " replaces the dark block in place";
    // Fifteen centred blocks, 2 points apart, end before the score label at x 180.
    const int w = none.first;
    EXPECT_LT(14 * (w + 2) + w / 2.0, 180.0) << "blocks of width " << w << " run into the score";
    EXPECT_LE(none.second / 2.0, 20.0) << "the meter sits 20 points above the bottom edge";
    // The score label steps 16 x 24 cells from the full stop: '.', '/', '0' to '9'.
    const auto digits = pointSize("fps_images.png");
    EXPECT_EQ(digits.second, 24);
    EXPECT_GE(digits.first, 12 * 16);
    EXPECT_LE(180 + 17 + 7 * 16, 320) << "seven characters of score stay on screen";
}

TEST_F(Resources, SelectorThumbnailsFillFourColumnsBetweenTitleAndBackItem)
{
    const auto marker = pointSize("Selected.png");
    std::vector<std::string> thumbs;
    for (int i = 1; i <= 12; ++i) {
        thumbs.push_back("Background" + std::to_string(i) + "_thumb.png");
        thumbs.push_back("Ball" + std::to_string(i) + "_thumb.png");
    }
    for (const char* ragdoll : { "Rocker", "BabeBikiniProfile", "Nerd", "Dog", "Narwhal" })
        thumbs.push_back(std::string(ragdoll) + "_Thumb.png");
    for (const std::string& t : thumbs)
        EXPECT_EQ(pointSize(t), marker) << t << ": the marker frames each thumbnail exactly";
    // Columns start at -105 and step by width + 10: the grid is centred only for one width.
    const int w = marker.first, h = marker.second;
    EXPECT_EQ(-105 + 3 * (w + 10), 105) << "four columns of width " << w << " are not centred";
    // Three rows from y 72 stepping by height + 15, menu at 240 - 30: below the title (340),
    // above the back item (60).
    const double top = 240 - 30 + 72 + h / 2.0, bottom = 240 - 30 + 72 - 2 * (h + 15) - h / 2.0;
    EXPECT_LT(top, 340.0);
    EXPECT_GT(bottom, 75.0);
}

} // namespace
