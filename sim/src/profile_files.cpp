// Profile files ("ini" files) with the observable rules of Wine's profile functions,
// which are our reference: every rule here was seen with a probe program under wine64
// (tests/wine/probes/) and stands in tests/native/sim_profile_files_test.cpp.
//
// The file is parsed afresh at every call, so edits by anyone else are seen at once. A
// write that changes something rewrites the whole file from what was parsed: blank
// lines go, every line is written again in its plain form ("[name]", "name=value" or a
// bare "name") with CRLF, and a UTF-8 byte-order mark stays.
#include <windows.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "core_internal.h"
#include "files_internal.h"
#include "sim_internal.h"

namespace {

using std::string;
using std::string_view;

// Longest path the profile functions take: MAX_PATH with its terminating zero.
constexpr size_t LONGEST_PROFILE_PATH = 259;
// GetPrivateProfileIntA reads the value into a buffer of this many characters first.
constexpr size_t INT_TEXT_CAPACITY = 30;
constexpr char BOM[] = "\xEF\xBB\xBF";
// GetPrivateProfileSection's reference: "In earlier Windows versions, the maximum profile
// section size is 32,767 characters. Windows 7 and newer versions don't have this
// limitation." (and for Windows 95: "The maximum buffer size is 32,767 characters").
// Where exactly the listing stops is not documented; we stop after the last whole line
// that fits.
constexpr size_t LONGEST_LISTING_BEFORE_7 = 32767;

bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

string_view trimmed(string_view text) {
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

string_view withoutLeadingBlanks(string_view text) {
    while (!text.empty() && isBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    return text;
}

// Names match regardless of the case of ASCII letters only: 'Ä' and 'ä' are two names.
bool sameName(string_view a, string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Text encodings: a file with a UTF-8 byte-order mark is read as UTF-8, and the 8-bit
// texts of the "A" functions are in the machine's one ANSI code page (code_page.h).

using sim::codepage::ansiToUtf8;
using sim::codepage::utf8ToAnsi;

// ---------------------------------------------------------------------------
// The parsed file

struct Key {
    string name;
    bool hasValue;
    string value;
};

struct Section {
    string name;  // "" for the lines before the first header, and for "[]"
    std::vector<Key> keys;
};

struct Profile {
    bool exists = false;
    bool utf8 = false;   // began with a byte-order mark the platform reads: held as UTF-8
    bool utf16 = false;  // and written back as UTF-16LE
    std::vector<Section> sections;

    // Texts passed in by the caller, in the file's encoding.
    string fromCaller(string_view text) const { return utf8 ? ansiToUtf8(text) : string(text); }
    string toCaller(string_view text) const { return utf8 ? utf8ToAnsi(text) : string(text); }
};

// A UTF-8 mark is recognised by Wine only: on Windows, "when the BOM and the first
// section header share line 1, that section cannot be read, and the rest of the file is
// read as ANSI" (observed on Windows 10 and 11 by the IniFileFormatReverseEngineering
// project, WelliSolutions). A UTF-16LE file is read, and written back in UTF-16
// (WritePrivateProfileString's reference: "If the file was created using Unicode
// characters, the function writes Unicode characters to the file"), by Windows 2000 and
// later and by Wine, but not by NT 4 or 9x.
bool readsUtf8Mark() { return sim::core::profileEncodingsAsWine(); }
bool readsUtf16() {
    return sim::core::profileEncodingsAsWine() || (!sim::core::playingWindows95() && !sim::core::playingWindowsNT4());
}

string utf16ToUtf8(string_view bytes) {
    string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            uint32_t low = static_cast<unsigned char>(bytes[i + 2]) | static_cast<unsigned char>(bytes[i + 3]) << 8;
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        sim::codepage::appendUtf8(&out, unit);
    }
    return out;
}

string utf8ToUtf16(string_view text) {
    string out = "\xFF\xFE";
    auto unit = [&out](uint32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    };
    for (size_t pos = 0; pos < text.size();) {
        uint32_t code = sim::codepage::nextUtf8(text, &pos);
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out;
}

Profile parse(string_view bytes) {
    Profile profile;
    profile.exists = true;
    string decoded;
    if (bytes.substr(0, 3) == BOM && readsUtf8Mark()) {
        profile.utf8 = true;
        decoded = sim::codepage::wellFormedUtf8(bytes.substr(3));
        bytes = decoded;
    } else if (bytes.substr(0, 2) == "\xFF\xFE" && readsUtf16()) {
        profile.utf8 = profile.utf16 = true;
        decoded = utf16ToUtf8(bytes.substr(2));
        bytes = decoded;
    }
    profile.sections.push_back(Section{string(), {}});
    size_t pos = 0;
    while (pos < bytes.size()) {
        // CR, LF and CRLF all end a line; a zero byte ends what the line says.
        size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        string_view line = bytes.substr(pos, end - pos);
        pos = end;
        if (pos < bytes.size() && bytes[pos] == '\r') {
            ++pos;
            if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
        } else if (pos < bytes.size()) {
            ++pos;
        }
        size_t zero = line.find('\0');
        if (zero != string_view::npos) line = line.substr(0, zero);

        line = withoutLeadingBlanks(line);
        if (line.empty()) continue;
        size_t close = line.rfind(']');
        if (line[0] == '[' && close != string_view::npos) {
            profile.sections.push_back(Section{string(trimmed(line.substr(1, close - 1))), {}});
            continue;
        }
        Section& section = profile.sections.back();
        size_t equals = line.find('=');
        Key key{string(trimmed(line.substr(0, equals))), equals != string_view::npos, string()};
        if (key.hasValue) key.value = string(trimmed(line.substr(equals + 1)));
        // A nameless line right after another nameless one is dropped.
        if (key.name.empty() && !section.keys.empty() && section.keys.back().name.empty()) continue;
        section.keys.push_back(key);
    }
    return profile;
}

string serialize(const Profile& profile) {
    string out;
    if (profile.utf8 && !profile.utf16) out += BOM;
    for (const Section& section : profile.sections) {
        if (!section.name.empty()) out += "[" + section.name + "]\r\n";
        for (const Key& key : section.keys) {
            out += key.name;
            if (key.hasValue) out += "=" + key.value;
            out += "\r\n";
        }
    }
    return profile.utf16 ? utf8ToUtf16(out) : out;
}

// ---------------------------------------------------------------------------
// Windows 95, 98 and ME keep the most recent profile file in a cache of their own
// (WritePrivateProfileString's reference: "the system keeps a cached version of the most
// recent ... file"; all parameters NULL "flushes the cache"). The file "remains in memory
// until a different .INI file is loaded or until an application forces recaching"
// (Knowledge Base Q68827), and edits made to the file directly are not seen meanwhile
// (Q107695, Q68827). We model the cache as written back lazily: when another file is
// loaded, or at a flush.

struct Cache {
    bool held = false;
    bool dirty = false;
    string onDisk;
    Profile profile;
};
Cache cache;

bool saveToDisk(const Profile& profile, const string& onDisk);

void writeBackCache() {
    if (cache.held && cache.dirty) saveToDisk(cache.profile, cache.onDisk);
    cache.dirty = false;
}

void dropCache() {
    writeBackCache();
    cache = Cache();
}

bool caching() { return sim::core::playingWindows95(); }

Profile load(const char* path) {
    Profile profile;
    if (path == nullptr || strlen(path) > LONGEST_PROFILE_PATH) return profile;
    sim::files::Resolved r = sim::files::resolve(path);
    if (!r.ok) return profile;
    if (caching() && cache.held && cache.onDisk == r.onDisk) return cache.profile;
    if (caching()) dropCache();
    string bytes;
    DWORD error = 0;
    // The reference opens the file to read it as any program would: one that others
    // hold without sharing reads as missing. Windows 9x reads nothing at all while any
    // other handle has it open, but for a read-only one that shares reading (Wine's
    // conformance tests, dlls/kernel32/tests/profile.c, test_profile_existing).
    bool heldOn9x = caching() && sim::files::heldBy(r.onDisk).notJustSharedReaders;
    if (heldOn9x || !sim::files::sharingAllowsOpen(r.onDisk, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE) ||
        !sim::files::readWhole(r.onDisk, &bytes, &error)) {
        return profile;
    }
    profile = parse(bytes);
    if (caching()) {
        cache.held = true;
        cache.onDisk = r.onDisk;
        cache.profile = profile;
    }
    return profile;
}

// The first section of that name; later ones of the same name are never found.
Section* findSection(Profile& profile, string_view name) {
    for (Section& section : profile.sections) {
        if (sameName(section.name, name)) return &section;
    }
    return nullptr;
}

Key* findKey(Section* section, string_view name) {
    if (section == nullptr) return nullptr;
    for (Key& key : section->keys) {
        if (sameName(key.name, name)) return &key;
    }
    return nullptr;
}

// Copies a value as the platform hands it out: surrounding quotes (both the same, ' or
// ") are dropped, and a value that does not fit is cut.
DWORD copyValue(string_view value, char* out, DWORD size) {
    if (size == 0) return 0;
    char quote = 0;
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        quote = value[0];
        value.remove_prefix(1);
    }
    size_t copied = value.size() < size - 1 ? value.size() : size - 1;
    // The closing quote goes only when the copy reached it (or the buffer was one short).
    if (quote != 0 && size >= value.size() && copied > 0) --copied;
    if (copied > 0) memcpy(out, value.data(), copied);
    out[copied] = '\0';
    return static_cast<DWORD>(copied);
}

// A list of zero-terminated names: whole when it fits, otherwise cut to size - 2
// characters and closed with one zero.
DWORD copyNameList(const string& list, char* out, DWORD size) {
    if (size == 0) return 0;
    if (list.empty()) {
        out[0] = '\0';
        return 0;
    }
    string whole = list + '\0';
    if (whole.size() < size) {
        memcpy(out, whole.data(), whole.size());
        return static_cast<DWORD>(whole.size() - 1);
    }
    if (size == 1) {
        out[0] = '\0';
        return 0;
    }
    memcpy(out, whole.data(), size - 2);
    out[size - 2] = '\0';
    return size - 2;
}

// GetPrivateProfileIntA's reading of a number: blanks and control characters skipped, one
// sign, a "0x", "0o" or "0b" prefix (lower case only), then digits, wrapping at 32 bits.
int parseInt(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != '\0' && *p <= ' ') ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    unsigned base = 10;
    if (p[0] == '0' && p[1] == 'x') {
        base = 16;
        p += 2;
    } else if (p[0] == '0' && p[1] == 'o') {
        base = 8;
        p += 2;
    } else if (p[0] == '0' && p[1] == 'b') {
        base = 2;
        p += 2;
    }
    uint32_t value = 0;
    for (;; ++p) {
        unsigned digit;
        if (*p >= '0' && *p <= '9') {
            digit = *p - '0';
        } else if (*p >= 'a' && *p <= 'z') {
            digit = *p - 'a' + 10;
        } else if (*p >= 'A' && *p <= 'Z') {
            digit = *p - 'A' + 10;
        } else {
            break;
        }
        if (digit >= base) break;
        value = value * base + digit;
    }
    return static_cast<int>(negative ? 0u - value : value);
}

// The value under section/key, as GetPrivateProfileStringA finds it; false when there is
// no such key, or the key has no '='.
bool lookUp(Profile& profile, const char* section, const char* key, string* value) {
    Key* found = findKey(findSection(profile, trimmed(profile.fromCaller(section))), trimmed(profile.fromCaller(key)));
    if (found == nullptr || !found->hasValue) return false;
    *value = profile.toCaller(found->value);
    return true;
}

bool saveToDisk(const Profile& profile, const string& onDisk) {
    // NT 4 refuses the write while any other handle has the file open, whatever it
    // shares (Wine's conformance tests, test_profile_existing). What 9x does then is not
    // recorded; since it cannot read the file meanwhile, we take it that it cannot write
    // it either, rather than write what it read (nothing) over it.
    sim::files::HeldBy held = sim::files::heldBy(onDisk);
    bool refused = (sim::core::playingWindowsNT4() && held.any) || (caching() && held.notJustSharedReaders);
    if (refused || !sim::files::sharingAllowsOpen(onDisk, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return false;
    }
    DWORD error = 0;
    if (!sim::files::writeWhole(onDisk, serialize(profile), &error)) {
        SetLastError(error);
        return false;
    }
    return true;
}

bool save(const Profile& profile, const sim::files::Resolved& where) {
    if (caching() && sim::files::heldBy(where.onDisk).notJustSharedReaders) return saveToDisk(profile, where.onDisk);
    if (caching() && cache.held && cache.onDisk == where.onDisk) {
        cache.profile = profile;
        cache.dirty = true;
        return true;
    }
    return saveToDisk(profile, where.onDisk);
}

}  // namespace

namespace sim {
namespace detail {
void resetProfileCache() { cache = Cache(); }
}  // namespace detail
}  // namespace sim

extern "C" {

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0) return 0;
    Profile profile = load(lpFileName);
    if (lpAppName == nullptr) {
        string list;
        for (const Section& section : profile.sections) {
            if (!section.name.empty()) list += profile.toCaller(section.name) + '\0';
        }
        return copyNameList(list, lpReturnedString, nSize);
    }
    if (lpKeyName == nullptr) {
        // Keys with a value, comments (';') left out.
        string list;
        Section* section = findSection(profile, trimmed(profile.fromCaller(lpAppName)));
        if (section != nullptr) {
            for (const Key& key : section->keys) {
                if (key.hasValue && (key.name.empty() || key.name[0] != ';')) list += profile.toCaller(key.name) + '\0';
            }
        }
        return copyNameList(list, lpReturnedString, nSize);
    }
    string value;
    if (lookUp(profile, lpAppName, lpKeyName, &value)) return copyValue(value, lpReturnedString, nSize);
    // The default loses its trailing blanks and, like a value, its quotes.
    string_view fallback = lpDefault == nullptr ? string_view() : string_view(lpDefault);
    while (!fallback.empty() && isBlank(static_cast<unsigned char>(fallback.back()))) fallback.remove_suffix(1);
    return copyValue(fallback, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
    if (lpAppName == nullptr || lpKeyName == nullptr) return static_cast<UINT>(nDefault);
    char text[INT_TEXT_CAPACITY];
    if (GetPrivateProfileStringA(lpAppName, lpKeyName, "", text, sizeof text, lpFileName) == 0) {
        return static_cast<UINT>(nDefault);
    }
    return static_cast<UINT>(parseInt(text));
}

DWORD GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0) return 0;
    Profile profile = load(lpFileName);
    // This one looks the section up by its name exactly as given, blanks and all.
    Section* section = lpAppName == nullptr ? nullptr : findSection(profile, profile.fromCaller(lpAppName));
    string list;
    if (section != nullptr) {
        for (const Key& key : section->keys) {
            if (!key.name.empty() && key.name[0] == ';') continue;
            list += profile.toCaller(key.name);
            if (key.hasValue) list += "=" + profile.toCaller(key.value);
            list += '\0';
        }
    }
    if (sim::core::sectionListingsCut() && list.size() > LONGEST_LISTING_BEFORE_7) {
        size_t end = list.rfind('\0', LONGEST_LISTING_BEFORE_7 - 1);
        list.resize(end == string::npos ? 0 : end + 1);
    }
    if (list.empty() || nSize == 1) {
        lpReturnedString[0] = '\0';
        if (nSize > 1) lpReturnedString[1] = '\0';
        return 0;
    }
    if (list.size() + 1 < nSize) {
        memcpy(lpReturnedString, list.data(), list.size());
        lpReturnedString[list.size()] = '\0';
        return static_cast<DWORD>(list.size());
    }
    // Too small: cut, closed with two zeros, and the answer is size - 2.
    memcpy(lpReturnedString, list.data(), nSize - 2);
    lpReturnedString[nSize - 2] = '\0';
    lpReturnedString[nSize - 1] = '\0';
    return nSize - 2;
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
    if (lpAppName == nullptr) {
        if (lpKeyName != nullptr || lpString != nullptr) return FALSE;
        // A flush: 9x writes its cache back and reads the file afresh next time.
        if (caching()) dropCache();
        return TRUE;
    }
    if (lpFileName == nullptr) return FALSE;
    size_t pathLength = strlen(lpFileName);
    if (pathLength == LONGEST_PROFILE_PATH + 1) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (pathLength > LONGEST_PROFILE_PATH) return TRUE;  // the reference claims success and writes nothing
    sim::files::Resolved where = sim::files::resolve(lpFileName);
    if (!where.ok) {
        SetLastError(where.error);
        return FALSE;
    }
    if (sim::files::writesRefused(where.onDisk)) {
        // The file could not be opened to write, whether or not anything would change.
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Profile profile = load(lpFileName);

    // Names are looked up trimmed, but a new one keeps its trailing blanks.
    string sectionName = string(withoutLeadingBlanks(profile.fromCaller(lpAppName)));
    Section* section = findSection(profile, trimmed(sectionName));
    if (lpKeyName == nullptr) {
        if (section == nullptr) return TRUE;
        profile.sections.erase(profile.sections.begin() + (section - profile.sections.data()));
        return save(profile, where);
    }
    string keyName = string(withoutLeadingBlanks(profile.fromCaller(lpKeyName)));
    Key* key = findKey(section, trimmed(keyName));
    if (lpString == nullptr) {
        if (key == nullptr) return TRUE;
        section->keys.erase(section->keys.begin() + (key - section->keys.data()));
        return save(profile, where);
    }
    string value = string(withoutLeadingBlanks(profile.fromCaller(lpString)));
    if (key != nullptr) {
        if (key->hasValue && key->value == value) return TRUE;  // nothing changes, nothing is written
        key->hasValue = true;
        key->value = value;
        return save(profile, where);
    }
    if (section == nullptr) {
        profile.sections.push_back(Section{sectionName, {}});
        section = &profile.sections.back();
    }
    section->keys.push_back(Key{keyName, true, value});
    return save(profile, where);
}

}  // extern "C"
