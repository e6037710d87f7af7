// Conversions between the machine's ANSI code page (Windows-1252), wide text (UTF-16)
// and UTF-8.
#include "code_page.h"

#include <cstdint>

namespace sim {
namespace codepage {

namespace {

constexpr uint32_t REPLACEMENT = 0xFFFD;

// Windows-1252's bytes 0x80..0x9F; the five it leaves undefined stand for the C1
// control characters of their own value, as the platform converts them.
const uint16_t CP1252_HIGH[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t fromAnsi(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? CP1252_HIGH[byte - 0x80] : byte; }

// The byte for a code point, or -1 when the code page has none.
int toAnsi(uint32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
    for (int i = 0; i < 32; ++i) {
        if (CP1252_HIGH[i] == code) return 0x80 + i;
    }
    return -1;
}

void appendUtf16(std::wstring* out, uint32_t code) {
    if (code < 0x10000) {
        out->push_back(static_cast<WCHAR>(code));
        return;
    }
    code -= 0x10000;
    out->push_back(static_cast<WCHAR>(0xD800 + (code >> 10)));
    out->push_back(static_cast<WCHAR>(0xDC00 + (code & 0x3FF)));
}

}  // namespace

void appendUtf8(std::string* out, uint32_t code) {
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (code >> 6)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (code >> 12)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (code >> 18)));
        out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

uint32_t nextUtf8(std::string_view text, size_t* pos) {
    unsigned char lead = static_cast<unsigned char>(text[*pos]);
    ++*pos;
    if (lead < 0x80) return lead;
    size_t extra = lead >= 0xF0 && lead <= 0xF4 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 0;
    if (extra == 0 || lead > 0xF4 || *pos + extra > text.size()) return REPLACEMENT;
    static const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
    uint32_t code = lead & (0x3Fu >> extra);
    for (size_t i = 0; i < extra; ++i) {
        unsigned char next = static_cast<unsigned char>(text[*pos + i]);
        if ((next & 0xC0) != 0x80) return REPLACEMENT;
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < least[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return REPLACEMENT;
    *pos += extra;
    return code;
}

std::string wellFormedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) appendUtf8(&out, nextUtf8(text, &pos));
    return out;
}

std::wstring widenAnsi(std::string_view ansi) {
    std::wstring out;
    for (char c : ansi) out.push_back(static_cast<WCHAR>(fromAnsi(static_cast<unsigned char>(c))));
    return out;
}

std::wstring widenAnsi(const char* ansi) { return widenAnsi(std::string_view(ansi != nullptr ? ansi : "")); }

std::string narrowToAnsi(std::wstring_view wide, bool* lossy) {
    std::string out;
    bool lost = false;
    for (size_t i = 0; i < wide.size(); ++i) {
        uint32_t code = static_cast<uint32_t>(wide[i]);
        // A surrogate pair is one character, and one '?'.
        bool pair = code >= 0xD800 && code <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
        if (pair) ++i;
        int byte = pair ? -1 : toAnsi(code);
        lost = lost || byte < 0;
        out.push_back(byte < 0 ? UNMAPPABLE : static_cast<char>(byte));
    }
    if (lossy != nullptr) *lossy = lost;
    return out;
}

std::string narrowToAnsi(const WCHAR* wide, bool* lossy) {
    return narrowToAnsi(wide != nullptr ? std::wstring_view(wide) : std::wstring_view(), lossy);
}

WPARAM widenAnsiChar(WPARAM ansiChar) { return fromAnsi(static_cast<unsigned char>(ansiChar & 0xFF)); }

WPARAM narrowToAnsiChar(WPARAM wideChar) {
    int byte = wideChar <= 0xFFFF ? toAnsi(static_cast<uint32_t>(wideChar)) : -1;
    return byte < 0 ? static_cast<WPARAM>(UNMAPPABLE) : static_cast<WPARAM>(byte);
}

std::string ansiToUtf8(std::string_view ansi) {
    std::string out;
    for (char c : ansi) appendUtf8(&out, fromAnsi(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToAnsi(std::string_view utf8) {
    std::string out;
    for (size_t pos = 0; pos < utf8.size();) {
        int byte = toAnsi(nextUtf8(utf8, &pos));
        out.push_back(byte < 0 ? UNMAPPABLE : static_cast<char>(byte));
    }
    return out;
}

std::wstring utf8ToWide(const std::string& utf8) {
    std::wstring out;
    for (size_t pos = 0; pos < utf8.size();) appendUtf16(&out, nextUtf8(utf8, &pos));
    return out;
}

std::string wideToUtf8(const WCHAR* wide) {
    std::string out;
    for (const WCHAR* p = wide; p != nullptr && *p != 0; ++p) {
        uint32_t code = static_cast<uint32_t>(*p);
        uint32_t low = static_cast<uint32_t>(p[1]);
        if (code >= 0xD800 && code <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            ++p;
        }
        appendUtf8(&out, code);
    }
    return out;
}

}  // namespace codepage
}  // namespace sim
