// The eleven icons as the resource script names them: each file the 16-colour images
// old Windows shows (32 and 16 pixels, with a mask) and the alpha images today's
// Windows picks by scale (16, 20, 24, 32, 48 pixels), and each picture the one its
// resource number promises.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>
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

// Pixels top row first. A 16-colour image: a palette index, or TRANSPARENT_PIXEL where
// the mask is set. An alpha image: 0xAARRGGBB.
struct Picture {
    int size = 0;
    std::vector<Rgb> palette;
    std::vector<int> pixels;
    int at(int x, int y) const { return pixels[y * size + x]; }
    bool shows(const Rgb& colour) const {
        for (int p : pixels)
            if (p != TRANSPARENT_PIXEL && palette[p] == colour) return true;
        return false;
    }
};
// By size and bits per pixel.
using Images = std::map<std::pair<int, int>, Picture>;

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + i);
    return v;
}

// One image of the file, in the layout the player's platform loads; a failed check
// leaves `out` empty.
void decodeImage(const std::vector<uint8_t>& f, size_t h, uint32_t bytes, int size, int bits, const std::string& what,
                 Picture& out) {
    const int maskStride = (size + 31) / 32 * 4;
    const int colourStride = bits == 4 ? (size + 7) / 8 * 4 : size * 4;
    const size_t paletteBytes = bits == 4 ? 64 : 0;
    ASSERT_EQ(bytes, 40 + paletteBytes + size_t(colourStride + maskStride) * size) << what;
    EXPECT_EQ(le(f, h, 4), 40u) << what << ": header size";
    EXPECT_EQ(le(f, h + 4, 4), uint32_t(size)) << what;
    EXPECT_EQ(le(f, h + 8, 4), uint32_t(2 * size)) << what << ": image and mask heights";
    EXPECT_EQ(le(f, h + 12, 2), 1u) << what;
    ASSERT_EQ(le(f, h + 14, 2), uint32_t(bits)) << what << ": bits per pixel";
    ASSERT_EQ(le(f, h + 16, 4), 0u) << what << ": compressed";

    Picture p;
    p.size = size;
    for (size_t i = 0; i < paletteBytes / 4; ++i) {
        const size_t q = h + 40 + 4 * i;
        p.palette.push_back({f[q + 2], f[q + 1], f[q]});
    }
    const size_t colourAt = h + 40 + paletteBytes, maskAt = colourAt + size_t(colourStride) * size;
    p.pixels.assign(size * size, 0);
    for (int y = 0; y < size; ++y) {
        const int row = size - 1 - y;  // stored bottom-up
        for (int x = 0; x < size; ++x) {
            const bool masked = f[maskAt + row * maskStride + x / 8] & (0x80 >> (x % 8));
            const size_t at = colourAt + size_t(row) * colourStride;
            if (bits == 4) {
                const uint8_t pair = f[at + x / 2];
                const int index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
                // the screen shows through only where the image adds nothing to it
                if (masked) EXPECT_EQ(index, 0) << what << " at " << x << "," << y;
                p.pixels[y * size + x] = masked ? TRANSPARENT_PIXEL : index;
            } else {
                const uint32_t argb = le(f, at + 4 * x, 4);
                // where alpha is ignored, the mask alone cuts the surround out
                EXPECT_EQ(masked, argb >> 24 == 0) << what << ": mask and alpha at " << x << "," << y;
                if (masked) EXPECT_EQ(argb, 0u) << what << " at " << x << "," << y;
                p.pixels[y * size + x] = static_cast<int>(argb);
            }
        }
    }
    out = p;
}

Images decodeIcon(const std::string& path) {
    std::vector<uint8_t> f = readFile(path);
    Images images;
    if (f.size() < 6 || le(f, 0, 2) != 0 || le(f, 2, 2) != 1) {
        ADD_FAILURE() << path << ": not an icon";
        return images;
    }
    const uint32_t count = le(f, 4, 2);
    for (uint32_t i = 0; i < count && f.size() >= 6 + 16 * (i + 1); ++i) {
        const size_t e = 6 + 16 * i;
        const int size = f[e], colours = f[e + 2], bits = static_cast<int>(le(f, e + 6, 2));
        const uint32_t bytes = le(f, e + 8, 4), offset = le(f, e + 12, 4);
        const std::string what = path + " " + std::to_string(size) + " px " + std::to_string(bits) + " bit";
        EXPECT_EQ(colours, bits == 4 ? 16 : 0) << what << ": colour count";
        if (size_t(offset) + bytes > f.size()) {
            ADD_FAILURE() << what << ": directory and file disagree";
            continue;
        }
        EXPECT_EQ(images.count({size, bits}), 0u) << what << " twice";
        decodeImage(f, offset, bytes, size, bits, what, images[{size, bits}]);
    }
    return images;
}

Picture turnedClockwise(const Picture& p, int quarters) {
    Picture t = p;
    for (int q = 0; q < quarters; ++q) {
        Picture next = t;
        for (int y = 0; y < p.size; ++y)
            for (int x = 0; x < p.size; ++x) next.pixels[y * p.size + x] = t.at(y, p.size - 1 - x);
        t = next;
    }
    return t;
}

// The icons the resource script declares, by resource number, decoded.
std::map<int, Images> scriptIcons() {
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
    std::map<int, Images> icons;
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
        icons[name->second] = decodeIcon(res + m[2].str());
    }
    return icons;
}

// The 32-pixel 16-colour image of each icon: the picture every Windows can show.
std::map<int, Picture> classicIcons() {
    std::map<int, Picture> pictures;
    for (auto& [number, images] : scriptIcons()) pictures[number] = images[{SIZE, 4}];
    return pictures;
}

// The images every icon holds: 16-colour for old Windows, alpha for each scale.
const std::set<std::pair<int, int>> IMAGES = {{16, 4}, {32, 4}, {16, 32}, {20, 32}, {24, 32}, {32, 32}, {48, 32}};

bool transparentAt(const Picture& p, int i) {
    return p.palette.empty() ? (static_cast<uint32_t>(p.pixels[i]) >> 24) == 0 : p.pixels[i] == TRANSPARENT_PIXEL;
}

TEST(Icons, TheScriptDeclaresElevenWellFormedIconsWithATransparentSurround) {
    std::map<int, Images> icons = scriptIcons();
    std::vector<int> numbers;
    for (auto& [number, images] : icons) numbers.push_back(number);
    EXPECT_EQ(numbers, (std::vector<int>{102, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114}));

    for (auto& [number, images] : icons) {
        std::set<std::pair<int, int>> held;
        for (auto& [kind, picture] : images) held.insert(kind);
        EXPECT_EQ(held, IMAGES) << number << ": the sizes and colour depths";
    }
    for (auto kind : IMAGES) {
        const Picture& disc = icons[ICON_DISC][kind];
        const int n = kind.first;
        ASSERT_EQ(disc.pixels.size(), size_t(n * n)) << n << " px " << kind.second << " bit";
        EXPECT_FALSE(transparentAt(disc, (n / 2) * n + n / 2)) << n << " px: the centre shows";
        for (auto& [number, images] : icons) {
            const Picture& p = images[kind];
            ASSERT_EQ(p.pixels.size(), size_t(n * n)) << number;
            for (int corner : {0, n - 1, n * (n - 1), n * n - 1})
                EXPECT_TRUE(transparentAt(p, corner)) << number << " at " << n << " px: corner " << corner;
            // every picture sits on the same disc, so the frames do not jump in the tray
            for (int i = 0; i < n * n; ++i)
                EXPECT_EQ(transparentAt(p, i), transparentAt(disc, i))
                    << number << " at " << n << " px: silhouette differs from the disc's at " << i % n << "," << i / n;
        }
    }
}

TEST(Icons, TheTurnedFramesAreTheLogoTurnedAtEverySize) {
    std::map<int, Images> icons = scriptIcons();
    for (auto kind : IMAGES) {
        const Picture& logo = icons[ICON_LOGO][kind];
        const Picture& logo45 = icons[ICON_LOGO_45][kind];
        const std::string what = std::to_string(kind.first) + " px " + std::to_string(kind.second) + " bit";
        EXPECT_NE(logo.pixels, logo45.pixels) << what;
        EXPECT_EQ(turnedClockwise(logo, 1).pixels, icons[ICON_LOGO_90][kind].pixels) << what;
        EXPECT_EQ(turnedClockwise(logo, 2).pixels, icons[ICON_LOGO_180][kind].pixels) << what;
        EXPECT_EQ(turnedClockwise(logo45, 2).pixels, icons[ICON_LOGO_225][kind].pixels) << what;
    }
}

TEST(Icons, EachResourceShowsItsPicture) {
    std::map<int, Picture> icons = classicIcons();
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
