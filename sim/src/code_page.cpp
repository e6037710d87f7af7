// Conversions between the machine's ANSI code page (ASCII), wide text (UTF-16) and UTF-8.
#include "code_page.h"

#include <cstdint>

namespace sim {
namespace codepage {

namespace {

constexpr uint32_t REPLACEMENT = 0xFFFD;

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

std::wstring widenAnsi(const char* ansi) {
    std::wstring out;
    for (const char* p = ansi; p != nullptr && *p != '\0'; ++p) out.push_back(static_cast<unsigned char>(*p));
    return out;
}

std::string narrowToAnsi(const WCHAR* wide) {
    std::string out;
    for (const WCHAR* p = wide; p != nullptr && *p != 0; ++p) {
        out.push_back(static_cast<uint32_t>(*p) < 0x80 ? static_cast<char>(*p) : UNMAPPABLE);
    }
    return out;
}

WPARAM widenAnsiChar(WPARAM ansiChar) { return ansiChar & 0xFF; }

WPARAM narrowToAnsiChar(WPARAM wideChar) { return wideChar < 0x80 ? wideChar : static_cast<WPARAM>(UNMAPPABLE); }

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
