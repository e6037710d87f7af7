#include "adapters/profile_encoding.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/heap_buffer.h"
#include "adapters/storage_folder.h"
#include "adapters/whole_file.h"

namespace ProfileEncoding {

namespace {

enum class Mark { None, Utf8, Utf16LittleEndian, Utf16BigEndian };

Mark markOf(const unsigned char* b, size_t length) {
    if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return Mark::Utf8;
    if (length >= 2 && b[0] == 0xFF && b[1] == 0xFE) return Mark::Utf16LittleEndian;
    if (length >= 2 && b[0] == 0xFE && b[1] == 0xFF) return Mark::Utf16BigEndian;
    return Mark::None;
}

// UTF-8 into UTF-16 units; false when the text is not well-formed UTF-8 (then the mark
// was put before text that is ANSI already).
bool utf8ToUnits(const unsigned char* text, size_t length, HeapBuffer* units) {
    for (size_t i = 0; i < length;) {
        unsigned c = text[i];
        unsigned extra = 0;
        if (c >= 0x80) {
            if ((c & 0xE0) == 0xC0) {
                extra = 1;
            } else if ((c & 0xF0) == 0xE0) {
                extra = 2;
            } else if ((c & 0xF8) == 0xF0) {
                extra = 3;
            } else {
                return false;
            }
        }
        unsigned long code = extra == 0 ? c : c & (0x3F >> extra);
        for (unsigned k = 1; k <= extra; ++k) {
            if (i + k >= length || (text[i + k] & 0xC0) != 0x80) return false;
            code = code << 6 | (text[i + k] & 0x3F);
        }
        const unsigned long smallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return false;
        i += extra + 1;
        WCHAR pair[2];
        size_t count = 1;
        if (code >= 0x10000) {
            pair[0] = static_cast<WCHAR>(0xD800 + ((code - 0x10000) >> 10));
            pair[1] = static_cast<WCHAR>(0xDC00 + ((code - 0x10000) & 0x3FF));
            count = 2;
        } else {
            pair[0] = static_cast<WCHAR>(code);
        }
        if (!units->append(reinterpret_cast<const char*>(pair), count * sizeof(WCHAR))) return false;
    }
    return true;
}

bool utf16ToUnits(const unsigned char* text, size_t length, bool bigEndian, HeapBuffer* units) {
    for (size_t i = 0; i + 1 < length; i += 2) {
        WCHAR unit = static_cast<WCHAR>(bigEndian ? text[i] << 8 | text[i + 1] : text[i + 1] << 8 | text[i]);
        if (!units->append(reinterpret_cast<const char*>(&unit), sizeof unit)) return false;
    }
    return true;
}

// The text in the ANSI code page the profile functions read; a character it lacks
// becomes '?', as no song key of ours can hold one.
bool unitsToAnsi(const HeapBuffer& units, HeapBuffer* ansi) {
    int count = static_cast<int>(units.length / sizeof(WCHAR));
    if (count == 0) return true;
    const WCHAR* wide = reinterpret_cast<const WCHAR*>(units.bytes);
    int needed = WideCharToMultiByte(CP_ACP, 0, wide, count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0 || !ansi->reserve(static_cast<size_t>(needed))) return false;
    ansi->length = static_cast<size_t>(WideCharToMultiByte(CP_ACP, 0, wide, count, ansi->bytes, needed, nullptr, nullptr));
    return ansi->length == static_cast<size_t>(needed);
}

// Whether the file begins with a byte-order mark, from its first bytes alone: most files
// have none, and a pass over a large database asks before every read.
bool beginsWithMark(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned char head[3] = {};
    DWORD got = 0;
    bool read = ReadFile(file, head, sizeof head, &got, nullptr) != FALSE;
    CloseHandle(file);
    return read && markOf(head, got) != Mark::None;
}

}  // namespace

bool hasMark(const char* bytes, size_t length) {
    return markOf(reinterpret_cast<const unsigned char*>(bytes), length) != Mark::None;
}

Outcome toPlain(const char* bytes, size_t length, HeapBuffer* plain) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
    Mark mark = markOf(b, length);
    if (mark == Mark::None) return Outcome::Plain;
    HeapBuffer units;
    bool converted = false;
    if (mark == Mark::Utf8) {
        // Text already in ANSI under a mark put before it loses the mark alone.
        converted = utf8ToUnits(b + 3, length - 3, &units) ? unitsToAnsi(units, plain)
                                                           : plain->append(bytes + 3, length - 3);
    } else {
        converted = utf16ToUnits(b + 2, length - 2, mark == Mark::Utf16BigEndian, &units) && unitsToAnsi(units, plain);
    }
    units.release();
    return converted && !plain->failed ? Outcome::MadePlain : Outcome::NotMadePlain;
}

Outcome makePlain(const char* path, bool (*replace)(const char* newPath, const char* path)) {
    if (path[0] == '\0' || !beginsWithMark(path)) return Outcome::Plain;
    HeapBuffer bytes;
    HeapBuffer plain;
    Outcome outcome = Outcome::Plain;
    if (WholeFile::read(path, &bytes) == WholeFile::Read::Whole) {
        outcome = toPlain(bytes.bytes, bytes.length, &plain);
        if (outcome == Outcome::MadePlain) {
            char newPath[MAX_PATH] = "";
            bool done = false;
            if (BoundedText::join(newPath, sizeof newPath, path, StorageFolder::REBUILD_SUFFIX)) {
                done = WholeFile::write(newPath, plain.bytes, plain.length) ? replace(newPath, path)
                                                                           : (DeleteFileA(newPath), false);
            }
            outcome = done ? Outcome::MadePlain : Outcome::NotMadePlain;
        }
    }
    bytes.release();
    plain.release();
    return outcome;
}

}  // namespace ProfileEncoding
