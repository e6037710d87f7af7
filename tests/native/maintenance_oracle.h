// What a Clean or Trim must leave, worked out on its own: the per-key pass over the raw
// bytes of the database, reading each record as the platform's profile functions find
// it, with the songs' sizes as the test made them. None of the plug-in's keys, bands or
// readers, nor the simulated platform's profile functions, take part, so a fault in any
// of them cannot cancel out. Shared by the parity test and the maintenance fuzzer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace maintenanceoracle {

struct Song {
    std::string path;  // as the playlist holds it
    int size;          // the bytes of the file the test made there; -1 for none or a folder
};

inline std::string folded(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

inline std::string trimmed(const std::string& text) {
    const char* blanks = " \t\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The caller's Windows-1252 text as a file with a UTF-8 byte-order mark holds it.
inline std::string utf8FromWindows1252(const std::string& text) {
    static const uint16_t HIGH[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                      0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
    std::string out;
    for (unsigned char c : text) {
        uint32_t code = c >= 0x80 && c < 0xA0 ? HIGH[c - 0x80] : c;
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// GetPrivateProfileIntA's number: the value (quotes around it dropped) read into 30
// characters, blanks skipped, a sign, a lower-case 0x, 0o or 0b, digits until one does
// not belong, wrapping at 32 bits. An empty value gives the default, -1.
inline int profileInt(const std::string& value) {
    bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    std::string rest = quoted ? value.substr(1) : value;
    size_t length = rest.size() < 29 ? rest.size() : 29;
    if (quoted && rest.size() <= 30) --length;  // the closing quote, when the copy reached it
    if (length == 0) return -1;
    rest.resize(length);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(rest.c_str());
    while (*p != 0 && *p <= ' ') ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    uint32_t base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
        base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
        p += 2;
    }
    uint32_t number = 0;
    for (;; ++p) {
        uint32_t digit = *p >= '0' && *p <= '9'   ? *p - '0'
                         : *p >= 'a' && *p <= 'z' ? *p - 'a' + 10
                         : *p >= 'A' && *p <= 'Z' ? *p - 'A' + 10
                                                  : 99;
        if (digit >= base) break;
        number = number * base + digit;
    }
    return static_cast<int>(negative ? 0u - number : number);
}

// The value under `key` (quotes and all) in the first "Tamsel Loudmark" section, in any
// letter case, from the first line of that name; -1 for none (a stored -1 reads alike).
inline int readRecord(const std::optional<std::string>& file, const std::string& key) {
    if (!file) return -1;
    std::string text = *file;
    std::string wanted = folded(key);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3);
        wanted = folded(utf8FromWindows1252(key));
    }
    bool inSection = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        line = line.substr(0, line.find('\0'));
        size_t start = line.find_first_not_of(" \t\v\f");
        if (start == std::string::npos) continue;
        line.erase(0, start);
        size_t close = line.rfind(']');
        if (line[0] == '[' && close != std::string::npos) {
            if (inSection) return -1;  // a later section of the same name is never read
            inSection = folded(trimmed(line.substr(1, close - 1))) == "tamsel loudmark";
            continue;
        }
        if (!inSection) continue;
        size_t equals = line.find('=');
        if (folded(trimmed(line.substr(0, equals))) != wanted) continue;
        return equals == std::string::npos ? -1 : profileInt(trimmed(line.substr(equals + 1)));
    }
    return -1;
}

// The song's key, or "" when it cannot stand in the file: a path the 512-character copy
// cannot take, a key too long for it, or '=' or a line break in the name.
inline std::string keyOf(const Song& song) {
    if (song.path.size() >= 512) return "";
    size_t slash = song.path.rfind('\\');
    std::string name = slash == std::string::npos ? song.path : song.path.substr(slash + 1);
    std::string key = "\"" + name + "[" + std::to_string(song.size) + "]\"";
    if (key.size() >= 512 || key.find_first_of("=\r\n") != std::string::npos) return "";
    return key;
}

// The bands as numbers, both ends left out: 12% (any choice but 2 and 3), 18%, 24%.
inline bool insideBand(int value, int choice) {
    uint32_t lower = choice == 2 ? 82 : choice == 3 ? 66 : 98;
    uint32_t upper = choice == 2 ? 178 : choice == 3 ? 194 : 162;
    uint32_t v = static_cast<uint32_t>(value);
    return lower < v && v < upper;
}

// The database the per-key pass leaves: one record per distinct key, in the order the
// playlist first names it, with the value as read; no file when none survives.
inline std::optional<std::string> expectedDatabase(const std::optional<std::string>& before,
                                                   const std::vector<Song>& playlist, bool trimming, int choice) {
    std::vector<std::string> written;
    std::string out = "[Tamsel Loudmark]\r\n";
    for (const Song& song : playlist) {
        std::string key = keyOf(song);
        int value = key.empty() ? -1 : readRecord(before, key);
        if (value == -1 || (trimming && insideBand(value, choice))) continue;
        bool again = false;
        for (const std::string& w : written) again = again || folded(w) == folded(key);
        if (again) continue;
        written.push_back(key);
        out += key + "=" + std::to_string(value) + "\r\n";
    }
    if (written.empty()) return std::nullopt;
    return out;
}

// What holds whatever the pass decided: every record left is one of the playlist's
// songs, held once, with the very value the old database gave it. "" when all is well.
inline std::string brokenInvariant(const std::optional<std::string>& before, const std::optional<std::string>& after,
                                   const std::vector<Song>& playlist) {
    if (!after) return "";
    const std::string header = "[Tamsel Loudmark]\r\n";
    if (after->compare(0, header.size(), header) != 0) return "the database does not start with its section";
    std::vector<std::string> seen;
    size_t pos = header.size();
    while (pos < after->size()) {
        size_t end = after->find("\r\n", pos);
        if (end == std::string::npos) return "a record without its line end";
        std::string line = after->substr(pos, end - pos);
        pos = end + 2;
        size_t equals = line.find('=');
        std::string key = line.substr(0, equals);
        bool listed = false;
        for (const Song& song : playlist) listed = listed || (!keyOf(song).empty() && keyOf(song) == key);
        if (!listed) return "a record of a song not on the playlist: " + line;
        for (const std::string& s : seen) {
            if (folded(s) == folded(key)) return "a record held twice: " + line;
        }
        seen.push_back(key);
        int was = readRecord(before, key);
        if (equals == std::string::npos || was == -1 || line.substr(equals + 1) != std::to_string(was)) {
            return "a record that the old database did not hold with that value: " + line;
        }
    }
    return "";
}

}  // namespace maintenanceoracle
