#include "memory/database_index.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/heap_buffer.h"
#include "adapters/later_windows.h"
#include "adapters/profile_file.h"
#include "adapters/profile_section.h"

namespace DatabaseIndex {

namespace {

// GetPrivateProfileIntA reads the value into a buffer of 30 characters first.
constexpr size_t INT_TEXT_CAPACITY = 30;
constexpr int DEFAULT_VALUE = -1;

HeapBuffer section;
const char* sectionText = nullptr;
DWORD sectionLength = 0;
Record* slots = nullptr;
uint32_t slotMask = 0;  // slot count - 1; the count is a power of two
uint32_t recordCount = 0;
// Keys written since the file was read, each in a block of its own, chained.
struct AddedKey {
    AddedKey* next;
    char text[1];
};
AddedKey* addedKeys = nullptr;

// The file as the tracker's index last saw it: when its size or last write differ,
// someone else has changed it.
struct Identity {
    bool known = false;  // false: there was no telling (a file that is not there is known)
    bool missing = false;
    DWORD sizeLow = 0;
    DWORD sizeHigh = 0;
    FILETIME written = {};
};
bool following = false;  // the index is the tracker's, for followedPath
char followedPath[MAX_PATH] = "";
Identity followedIdentity;

// FNV-1a over the key with ASCII letters folded, so keys the platform takes as equal
// land in the same chain.
uint32_t hashOf(const char* key, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) hash = (hash ^ ProfileFile::folded(key[i])) * 16777619u;
    return hash;
}

void* allocateZeroed(size_t bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }
void freeMemory(void* memory) {
    if (memory != nullptr) HeapFree(GetProcessHeap(), 0, memory);
}

// The integer reading of GetPrivateProfileIntA: control characters and blanks skipped,
// one sign, a lower-case "0x", "0o" or "0b", digits until the first that does not
// belong, wrapping at 32 bits.
int parseNumber(const char* text, size_t length) {
    size_t i = 0;
    while (i < length && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    unsigned base = 10;
    if (i + 1 < length && text[i] == '0') {
        if (text[i + 1] == 'x') base = 16;
        if (text[i + 1] == 'o') base = 8;
        if (text[i + 1] == 'b') base = 2;
        if (base != 10) i += 2;
    }
    uint32_t value = 0;
    for (; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned digit = 99;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'z') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'Z') digit = c - 'A' + 10;
        if (digit >= base) break;
        value = value * base + digit;
    }
    return static_cast<int>(negative ? 0u - value : value);
}

uint32_t slotCountFor(uint32_t records) {
    uint32_t count = 16;
    while (count < records * 2u && count < 0x40000000u) count *= 2;
    return count;
}

Record* slotFor(const char* key, size_t keyLength, uint32_t hash) {
    uint32_t slot = hash & slotMask;
    while (slots[slot].key != nullptr) {
        Record& other = slots[slot];
        if (other.hash == hash && other.keyLength == keyLength && ProfileFile::sameKey(other.key, key, keyLength)) break;
        slot = (slot + 1) & slotMask;
    }
    return &slots[slot];
}

// Room for `records` at half the slots at most; the records there already move along.
bool makeRoomFor(uint32_t records) {
    uint32_t count = slotCountFor(records);
    if (slots != nullptr && count <= slotMask + 1) return true;
    if (count <= records || count > static_cast<size_t>(-1) / sizeof(Record)) return false;
    Record* grown = static_cast<Record*>(allocateZeroed(sizeof(Record) * count));
    if (grown == nullptr) return false;
    Record* old = slots;
    uint32_t oldCount = old == nullptr ? 0 : slotMask + 1;
    slots = grown;
    slotMask = count - 1;
    for (uint32_t i = 0; i < oldCount; ++i) {
        if (old[i].key != nullptr) *slotFor(old[i].key, old[i].keyLength, old[i].hash) = old[i];
    }
    freeMemory(old);
    return true;
}

bool identityOf(const char* path, Identity* identity) {
    *identity = Identity();
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (LaterWindows::fileData(path, &data)) {
        *identity = Identity{true, false, data.nFileSizeLow, data.nFileSizeHigh, data.ftLastWriteTime};
        return true;
    }
    DWORD error = GetLastError();
    identity->missing = identity->known = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return identity->known;
}

bool sameIdentity(const Identity& a, const Identity& b) {
    return a.known && b.known && a.missing == b.missing && a.sizeLow == b.sizeLow && a.sizeHigh == b.sizeHigh &&
           a.written.dwLowDateTime == b.written.dwLowDateTime && a.written.dwHighDateTime == b.written.dwHighDateTime;
}

}  // namespace

int valueOf(const char* text, size_t length) {
    // Quotes round the value (both alike) go, and a closing quote is dropped only when
    // it came within the buffer, as the platform's copy does.
    bool quoted = length >= 2 && (text[0] == '"' || text[0] == '\'') && text[length - 1] == text[0];
    if (quoted) {
        ++text;
        --length;
    }
    size_t copied = length < INT_TEXT_CAPACITY - 1 ? length : INT_TEXT_CAPACITY - 1;
    if (quoted && INT_TEXT_CAPACITY >= length && copied > 0) --copied;
    if (copied == 0) return DEFAULT_VALUE;  // an empty value reads as the default
    return parseNumber(text, copied);
}

namespace {

// The records of the section listing just read into `section`.
bool indexSection() {
    sectionText = section.bytes;
    DWORD length = static_cast<DWORD>(section.length);
    sectionLength = length;

    uint32_t records = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (sectionText[i] == '\0') ++records;
    }
    if (!makeRoomFor(records)) return false;

    for (DWORD start = 0; start < length;) {
        const char* line = sectionText + start;
        DWORD end = start;
        while (end < length && sectionText[end] != '\0') ++end;
        uint32_t lineLength = end - start;
        start = end + 1;
        if (lineLength == 0) break;

        uint32_t keyLength = 0;
        while (keyLength < lineLength && line[keyLength] != '=') ++keyLength;
        bool hasValue = keyLength < lineLength;
        int value = hasValue ? valueOf(line + keyLength + 1, lineLength - keyLength - 1) : DEFAULT_VALUE;

        uint32_t hash = hashOf(line, keyLength);
        Record* slot = slotFor(line, keyLength, hash);
        // The first of equal keys is the one the platform finds.
        if (slot->key == nullptr) {
            *slot = Record{line, keyLength, lineLength, hash, value, false, false};
            ++recordCount;
        }
    }
    return true;
}

}  // namespace

bool load(const char* databasePath) {
    release();
    // Read from the file itself: a listing may be cut short, or come back empty while
    // another program has the file open, and a record it lacks would be taken as gone.
    if (ProfileSection::read(databasePath, &section) == ProfileSection::Result::Unsure || !indexSection()) {
        release();
        return false;
    }
    return true;
}

bool loadText(const char* bytes, size_t length) {
    release();
    if (ProfileSection::parse(bytes, length, &section) == ProfileSection::Result::Unsure || !indexSection()) {
        release();
        return false;
    }
    return true;
}

bool lookUp(const char* databasePath, const char* quotedKey, int* value) {
    Identity now;
    identityOf(databasePath, &now);
    bool current = following && BoundedText::sameFolded(followedPath, databasePath) && sameIdentity(now, followedIdentity);
    if (!current) {
        // Taken before the read: a change made while we read shows at the next look.
        if (!load(databasePath)) return false;
        following = BoundedText::copy(followedPath, sizeof followedPath, databasePath);
        followedIdentity = now;
    }
    Record* record = find(quotedKey);
    *value = record == nullptr ? DEFAULT_VALUE : record->value;
    return true;
}

void noteWritten(const char* databasePath, const char* quotedKey, int value) {
    if (!following || !BoundedText::sameFolded(followedPath, databasePath)) return;
    Record* record = find(quotedKey);
    if (record == nullptr) {
        size_t keyLength = BoundedText::length(quotedKey, 0x10000);
        AddedKey* added = static_cast<AddedKey*>(HeapAlloc(GetProcessHeap(), 0, sizeof(AddedKey) + keyLength));
        if (added == nullptr || !makeRoomFor(recordCount + 1)) {
            freeMemory(added);
            release();  // read afresh at the next look
            return;
        }
        for (size_t i = 0; i <= keyLength; ++i) added->text[i] = quotedKey[i];
        added->next = addedKeys;
        addedKeys = added;
        uint32_t hash = hashOf(added->text, keyLength);
        record = slotFor(added->text, keyLength, hash);
        *record = Record{added->text, static_cast<uint32_t>(keyLength), 0, hash, value, false, false};
        ++recordCount;
    }
    record->value = value;
    identityOf(databasePath, &followedIdentity);
}

Record* find(const char* quotedKey) {
    if (slots == nullptr) return nullptr;
    size_t keyLength = 0;
    while (quotedKey[keyLength] != '\0') ++keyLength;
    Record* record = slotFor(quotedKey, keyLength, hashOf(quotedKey, keyLength));
    return record->key == nullptr ? nullptr : record;
}

void forEach(void (*visit)(void* context, Record& record), void* context) {
    if (slots == nullptr) return;
    // The slots keep no order; the section text does, and each record points into it.
    for (DWORD start = 0; start < sectionLength;) {
        const char* line = sectionText + start;
        DWORD end = start;
        while (end < sectionLength && sectionText[end] != '\0') ++end;
        uint32_t lineLength = end - start;
        start = end + 1;
        if (lineLength == 0) break;
        uint32_t keyLength = 0;
        while (keyLength < lineLength && line[keyLength] != '=') ++keyLength;
        uint32_t hash = hashOf(line, keyLength);
        for (uint32_t slot = hash & slotMask; slots[slot].key != nullptr; slot = (slot + 1) & slotMask) {
            if (slots[slot].key == line) {
                visit(context, slots[slot]);
                break;
            }
        }
    }
}

void release() {
    freeMemory(slots);
    section.release();
    while (addedKeys != nullptr) {
        AddedKey* next = addedKeys->next;
        freeMemory(addedKeys);
        addedKeys = next;
    }
    slots = nullptr;
    sectionText = nullptr;
    sectionLength = 0;
    slotMask = 0;
    recordCount = 0;
    following = false;
}

}  // namespace DatabaseIndex
