// The figure pictures against what the game does with them: the face cropper cuts the photo with
// the mask inside the matte's opening, the L-shaped feet leave their notch empty, and the saber
// animation lights more of the tusk frame by frame.

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kResources = BONZELAR_TEST_RESOURCES;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    int alpha(int x, int y) const { return at(x, y)[3]; }
};

std::optional<Picture> load(const std::string& file)
{
    SDL_Surface* loaded = IMG_Load((kResources / file).string().c_str());
    if (!loaded)
        return std::nullopt;
    SDL_Surface* s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (!s)
        return std::nullopt;
    Picture p { s->w, s->h, std::vector<std::uint8_t>(static_cast<size_t>(s->w) * s->h * 4) };
    for (int y = 0; y < s->h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch;
        std::copy(row, row + static_cast<size_t>(s->w) * 4,
            p.rgba.begin() + static_cast<std::ptrdiff_t>(y) * s->w * 4);
    }
    SDL_FreeSurface(s);
    return p;
}

class FigurePictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() { IMG_Init(IMG_INIT_PNG); }
    static void TearDownTestSuite() { IMG_Quit(); }

    static Picture mustLoad(const std::string& file)
    {
        std::optional<Picture> p = load(file);
        EXPECT_TRUE(p) << file << " is missing or does not decode";
        return p ? *p : Picture {};
    }
};

// Every pixel of the square of side 2r+1 around (x, y) is kept (black) or cut (white) in the mask.
bool maskAround(const Picture& mask, int x, int y, int r, bool kept)
{
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px < 0 || py < 0 || px >= mask.width || py >= mask.height)
                return !kept;
            if ((mask.at(px, py)[0] < 128) != kept)
                return false;
        }
    return true;
}

TEST_F(FigurePictures, CropperMaskIsAWholeMultipleOfTheHeadAndMatchesTheMatteOpening)
{
    const std::pair<const char*, const char*> heads[]
        = { { "Nerd", "Nerd_Head.png" }, { "BabeBikiniProfile", "BabeBikiniProfile_Head.png" },
              { "Dog", "DogHead.png" }, { "Rocker", "Rocker_Head.png" } };
    for (const auto& [name, headFile] : heads) {
        SCOPED_TRACE(name);
        const Picture head = mustLoad(headFile);
        const Picture mask = mustLoad(std::string(name) + "_HeadCropperAlphaMask.png");
        const Picture matte = mustLoad(std::string(name) + "_HeadCropperMatte@2x.png");
        const Picture mask2 = mustLoad(std::string(name) + "_HeadCropperAlphaMask@2x.png");
        ASSERT_GT(head.width, 0);
        ASSERT_GT(mask.width, 0);
        ASSERT_EQ(matte.width, 520);
        ASSERT_EQ(matte.height, 422);
        // The cut is scaled down to the head's size, so both sides must shrink by the same whole factor.
        ASSERT_EQ(mask.width % head.width, 0) << mask.width << " over " << head.width;
        EXPECT_EQ(mask.height, mask.width / head.width * head.height);
        EXPECT_LE(mask.height, 211) << "the mask is cut from the cropper's canvas";
        EXPECT_LT(mask.at(mask.width / 2, mask.height / 2)[0], 128) << "the face's middle must be kept";
        EXPECT_GT(mask.at(0, 0)[0], 128) << "corners are cut away";
        // The mask is cut around the canvas centre, where the matte's opening is: inside the mask the
        // matte lets the photo through, outside it veils the photo.
        const int ox = (matte.width - mask2.width) / 2, oy = (matte.height - mask2.height) / 2;
        int kept = 0, veiled = 0;
        for (int y = 0; y < mask2.height; y += 3)
            for (int x = 0; x < mask2.width; x += 3) {
                if (maskAround(mask2, x, y, 4, true)) {
                    ++kept;
                    EXPECT_LT(matte.alpha(ox + x, oy + y), 255)
                        << "matte covers kept pixel " << x << "," << y;
                } else if (maskAround(mask2, x, y, 4, false)) {
                    ++veiled;
                    EXPECT_GT(matte.alpha(ox + x, oy + y), 0)
                        << "matte leaves cut pixel " << x << "," << y << " bare";
                }
            }
        EXPECT_GT(kept, 100);
        EXPECT_GT(veiled, 100);
    }
}

TEST_F(FigurePictures, LShapedFeetLeaveTheirNotchEmpty)
{
    // Notch (0,0)-(nx,ny) of the foot measured from its top-left corner; a point of the sole.
    struct Foot {
        const char* file;
        int nx, ny, soleX, soleY;
    };
    for (const Foot& f :
        { Foot { "Nerd_Foot.png", 12, 8, 20, 13 }, Foot { "BabeBikiniProfile_Foot.png", 16, 6, 20, 12 } }) {
        for (int scale : { 1, 2 }) {
            const std::string file = scale == 1
                ? f.file
                : std::string(f.file).substr(0, std::string(f.file).size() - 4) + "@2x.png";
            const Picture p = mustLoad(file);
            ASSERT_GT(p.width, 0);
            for (int y = 0; y < f.ny * scale; ++y)
                for (int x = 0; x < f.nx * scale; ++x)
                    ASSERT_EQ(p.alpha(x, y), 0) << file << " draws into the empty notch at " << x << "," << y;
            EXPECT_EQ(p.alpha(f.soleX * scale, f.soleY * scale), 255) << file << " sole";
        }
    }
}

TEST_F(FigurePictures, SaberFramesLightMoreOfTheTuskEachFrame)
{
    const Picture first = mustLoad("tusk_0.png");
    ASSERT_GT(first.width, 0);
    int previous = -1;
    for (int i = 0; i <= 18; ++i) {
        const Picture p = mustLoad("tusk_" + std::to_string(i) + "@2x.png");
        ASSERT_EQ(p.width, 2 * first.width);
        int lit = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const std::uint8_t* c = p.at(x, y);
                lit += c[3] > 128 && c[0] > 200 && c[1] < 120 && c[2] < 140;
            }
        if (i == 0)
            EXPECT_EQ(lit, 0) << "the retracted tusk is plain ivory";
        else
            EXPECT_GT(lit, previous) << "frame " << i << " lights no more than frame " << i - 1;
        previous = lit;
    }
    EXPECT_GT(previous, first.width * 2) << "the last frame lights the whole blade";
}

} // namespace
