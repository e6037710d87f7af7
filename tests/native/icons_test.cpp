// The eleven icons as the resource script names them: each file a single 32 x 32,
// 16-colour image with a mask, and each picture the one its resource number promises.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "controls/resource_ids.h"

namespace {

constexpr int SIZE = 32;
constexpr int TRANSPARENT_PIXEL = -1;

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
const Rgb YELLOW{0xFF, 0xFF, 0x00}, LIME{0x00, 0xFF, 0x00}, BLACK{0, 0, 0};

// Pixels top row first: a palette index, or TRANSPARENT_PIXEL where the mask is set.
struct Picture {
    std::vector<Rgb> palette;
    std::vector<int> pixels;
    int at(int x, int y) const { return pixels[y * SIZE + x]; }
    bool shows(const Rgb& colour) const {
        for (int p : pixels)
            if (p != TRANSPARENT_PIXEL && palette[p] == colour) return true;
        return false;
    }
};

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + i);
    return v;
}

// Checks the layout the player's platform loads; a failed check leaves `out` empty.
void decodeIcon(const std::string& path, Picture& out) {
    std::vector<uint8_t> f = readFile(path);
    ASSERT_GE(f.size(), 22u) << path;
    EXPECT_EQ(le(f, 0, 2), 0u) << path;
    EXPECT_EQ(le(f, 2, 2), 1u) << path << ": not an icon";
    ASSERT_EQ(le(f, 4, 2), 1u) << path << ": one image expected";
    EXPECT_EQ(f[6], SIZE) << path;
    EXPECT_EQ(f[7], SIZE) << path;
    EXPECT_EQ(f[8], 16) << path << ": colour count";
    const uint32_t bytes = le(f, 14, 4), offset = le(f, 18, 4);
    ASSERT_EQ(size_t(offset) + bytes, f.size()) << path << ": directory and file disagree";

    const size_t h = offset;
    ASSERT_GE(bytes, 40u + 64 + 512 + 128) << path;
    EXPECT_EQ(le(f, h, 4), 40u) << path << ": header size";
    EXPECT_EQ(le(f, h + 4, 4), uint32_t(SIZE)) << path;
    EXPECT_EQ(le(f, h + 8, 4), uint32_t(2 * SIZE)) << path << ": image and mask heights";
    EXPECT_EQ(le(f, h + 12, 2), 1u) << path;
    ASSERT_EQ(le(f, h + 14, 2), 4u) << path << ": bits per pixel";
    ASSERT_EQ(le(f, h + 16, 4), 0u) << path << ": compressed";

    Picture p;
    for (int i = 0; i < 16; ++i) {
        const size_t q = h + 40 + 4 * i;
        p.palette.push_back({f[q + 2], f[q + 1], f[q]});
    }
    const size_t xorAt = h + 40 + 64, andAt = xorAt + SIZE * SIZE / 2;
    p.pixels.assign(SIZE * SIZE, 0);
    for (int y = 0; y < SIZE; ++y) {
        const int row = SIZE - 1 - y;  // stored bottom-up
        for (int x = 0; x < SIZE; ++x) {
            const uint8_t pair = f[xorAt + row * (SIZE / 2) + x / 2];
            const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
            const bool masked = f[andAt + row * 4 + x / 8] & (0x80 >> (x % 8));
            // the screen shows through only where the image adds nothing to it
            if (masked) EXPECT_EQ(index, 0) << path << " at " << x << "," << y;
            p.pixels[y * SIZE + x] = masked ? TRANSPARENT_PIXEL : index;
        }
    }
    out = p;
}

Picture turnedClockwise(const Picture& p, int quarters) {
    Picture t = p;
    for (int q = 0; q < quarters; ++q) {
        Picture next = t;
        for (int y = 0; y < SIZE; ++y)
            for (int x = 0; x < SIZE; ++x) next.pixels[y * SIZE + x] = t.at(y, SIZE - 1 - x);
        t = next;
    }
    return t;
}

// The icons the resource script declares, by resource number, decoded.
std::map<int, Picture> scriptIcons() {
    const std::map<std::string, int> names = {
        {"ICON_LOGO", ICON_LOGO},         {"ICON_DISC", ICON_DISC},
        {"ICON_LOGO_45", ICON_LOGO_45},   {"ICON_LOGO_90", ICON_LOGO_90},
        {"ICON_LOGO_135", ICON_LOGO_135}, {"ICON_LOGO_180", ICON_LOGO_180},
        {"ICON_LOGO_225", ICON_LOGO_225}, {"ICON_LOGO_270", ICON_LOGO_270},
        {"ICON_LOGO_315", ICON_LOGO_315}, {"ICON_UP", ICON_UP},
        {"ICON_DOWN", ICON_DOWN}};
    const std::string res = std::string(LOUDMARK_SOURCE_DIR) + "/res/";
    std::ifstream script(res + "loudmark.rc");
    EXPECT_TRUE(script) << "no resource script";
    const std::regex iconLine(R"(^\s*(\w+)\s+ICON\s+"([^"]+)\"\s*$)");
    std::map<int, Picture> icons;
    std::string line;
    std::smatch m;
    while (std::getline(script, line)) {
        if (!std::regex_match(line, m, iconLine)) continue;
        auto name = names.find(m[1]);
        if (name == names.end()) {
            ADD_FAILURE() << "unknown icon name " << m[1];
            continue;
        }
        EXPECT_EQ(icons.count(name->second), 0u) << m[1] << " declared twice";
        decodeIcon(res + m[2].str(), icons[name->second]);
    }
    return icons;
}

TEST(Icons, TheScriptDeclaresElevenWellFormedIconsWithATransparentSurround) {
    std::map<int, Picture> icons = scriptIcons();
    std::vector<int> numbers;
    for (auto& [number, picture] : icons) numbers.push_back(number);
    EXPECT_EQ(numbers, (std::vector<int>{102, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114}));

    const Picture& disc = icons[ICON_DISC];
    ASSERT_EQ(disc.pixels.size(), size_t(SIZE * SIZE));
    for (auto& [number, p] : icons) {
        ASSERT_EQ(p.pixels.size(), size_t(SIZE * SIZE)) << number;
        for (auto [x, y] : {std::pair{0, 0}, {SIZE - 1, 0}, {0, SIZE - 1}, {SIZE - 1, SIZE - 1}})
            EXPECT_EQ(p.at(x, y), TRANSPARENT_PIXEL) << number << ": corner " << x << "," << y;
        // every picture sits on the same disc, so the frames do not jump in the tray
        for (int i = 0; i < SIZE * SIZE; ++i)
            EXPECT_EQ(p.pixels[i] == TRANSPARENT_PIXEL, disc.pixels[i] == TRANSPARENT_PIXEL)
                << number << ": silhouette differs from the disc's at " << i % SIZE << "," << i / SIZE;
    }
}

TEST(Icons, EachResourceShowsItsPicture) {
    std::map<int, Picture> icons = scriptIcons();
    ASSERT_EQ(icons.size(), 11u);

    const Picture& logo = icons[ICON_LOGO];
    EXPECT_TRUE(logo.shows(YELLOW) && logo.shows(LIME) && logo.shows(BLACK));
    EXPECT_FALSE(icons[ICON_DISC].shows(YELLOW) || icons[ICON_DISC].shows(LIME) ||
                 icons[ICON_DISC].shows(BLACK));
    EXPECT_TRUE(icons[ICON_UP].shows(YELLOW) && !icons[ICON_UP].shows(LIME));
    EXPECT_TRUE(icons[ICON_DOWN].shows(LIME) && !icons[ICON_DOWN].shows(YELLOW));
    // the down arrow is the up arrow turned over: its green where the other's yellow is
    auto where = [](const Picture& p, const Rgb& colour) {
        std::vector<bool> mask;
        for (int i : p.pixels) mask.push_back(i != TRANSPARENT_PIXEL && p.palette[i] == colour);
        return mask;
    };
    EXPECT_EQ(where(turnedClockwise(icons[ICON_UP], 2), YELLOW), where(icons[ICON_DOWN], LIME));

    // quarter turns are exact on the pixel grid: a swapped pair of frames shows here
    const Picture& logo45 = icons[ICON_LOGO_45];
    EXPECT_NE(logo45.pixels, logo.pixels);
    EXPECT_EQ(turnedClockwise(logo, 1).pixels, icons[ICON_LOGO_90].pixels);
    EXPECT_EQ(turnedClockwise(logo, 2).pixels, icons[ICON_LOGO_180].pixels);
    EXPECT_EQ(turnedClockwise(logo, 3).pixels, icons[ICON_LOGO_270].pixels);
    EXPECT_EQ(turnedClockwise(logo45, 1).pixels, icons[ICON_LOGO_135].pixels);
    EXPECT_EQ(turnedClockwise(logo45, 2).pixels, icons[ICON_LOGO_225].pixels);
    EXPECT_EQ(turnedClockwise(logo45, 3).pixels, icons[ICON_LOGO_315].pixels);
    // the 45-degree frame is turned clockwise, between the upright logo and the
    // quarter-turned one: its yellow mark's centre leans towards both of theirs
    auto centreOf = [](const Picture& p, const Rgb& colour) {
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 0; y < SIZE; ++y)
            for (int x = 0; x < SIZE; ++x)
                if (p.at(x, y) != TRANSPARENT_PIXEL && p.palette[p.at(x, y)] == colour) {
                    sx += x - 15.5;
                    sy += y - 15.5;
                    ++n;
                }
        return std::pair{sx / n, sy / n};
    };
    auto [ux, uy] = centreOf(logo, YELLOW);
    auto [hx, hy] = centreOf(logo45, YELLOW);
    auto [qx, qy] = centreOf(icons[ICON_LOGO_90], YELLOW);
    EXPECT_GT(ux * hx + uy * hy, 0.0) << "the 45-degree frame is not near the upright one";
    EXPECT_GT(qx * hx + qy * hy, 0.0) << "the 45-degree frame is turned the wrong way";
}

}  // namespace
