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
// The records in the file's order (of equal keys, the first), then those written since;
// a table of slots, twice as many as records, holds each one's place + 1 (0: free).
// Small on purpose: every page a pass touches afresh costs the platform a fault.
Record* records = nullptr;
uint32_t recordCount = 0;
uint32_t recordCapacity = 0;
uint32_t fileRecordCount = 0;
uint32_t* slots = nullptr;
uint32_t slotMask = 0;  // slot count - 1; the count is a power of two
volatile char touchedSink = 0;
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
constexpr uint32_t FIRST_HASH = 2166136261u;
uint32_t hashStep(uint32_t hash, char c) { return (hash ^ ProfileFile::folded(c)) * 16777619u; }

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

uint32_t slotCountFor(uint32_t count) {
    uint32_t slotCount = 16;
    while (slotCount < count * 2u && slotCount < 0x40000000u) slotCount *= 2;
    return slotCount;
}

// The slot that holds the record of this key, or the free one where it would go.
uint32_t* slotFor(const char* key, size_t keyLength, uint32_t hash) {
    uint32_t slot = hash & slotMask;
    while (slots[slot] != 0) {
        const Record& other = records[slots[slot] - 1];
        if (other.hash == hash && other.keyLength == keyLength && ProfileFile::sameKey(other.key, key, keyLength)) break;
        slot = (slot + 1) & slotMask;
    }
    return &slots[slot];
}

// Room for `count` records, at half the slots at most; those there already stay.
bool makeRoomFor(uint32_t count) {
    if (count > recordCapacity) {
        uint32_t capacity = recordCapacity == 0 ? count : recordCapacity * 2;
        if (capacity < count) capacity = count;
        if (capacity > 0x7FFFFFFFu / sizeof(Record)) return false;  // the size stays in range on 32 bits too
        Record* grown = static_cast<Record*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Record) * capacity));
        if (grown == nullptr) return false;
        for (uint32_t i = 0; i < recordCount; ++i) grown[i] = records[i];
        freeMemory(records);
        records = grown;
        recordCapacity = capacity;
    }
    uint32_t slotCount = slotCountFor(count);
    if (slots != nullptr && slotCount <= slotMask + 1) return true;
    if (slotCount <= count) return false;
    uint32_t* grown = static_cast<uint32_t*>(allocateZeroed(sizeof(uint32_t) * slotCount));
    if (grown == nullptr) return false;
    freeMemory(slots);
    slots = grown;
    slotMask = slotCount - 1;
    for (uint32_t i = 0; i < recordCount; ++i) *slotFor(records[i].key, records[i].keyLength, records[i].hash) = i + 1;
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

uint32_t hashOf(const char* key, size_t length) {
    uint32_t hash = FIRST_HASH;
    for (size_t i = 0; i < length; ++i) hash = hashStep(hash, key[i]);
    return hash;
}

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
    const char* text = section.bytes;
    size_t length = section.length;
    uint32_t lines = 0;
    for (size_t i = 0; i < length; ++i) lines += text[i] == '\0';
    if (!makeRoomFor(lines)) return false;
    for (size_t start = 0; start < length;) {
        const char* line = text + start;
        // The key's hash as it is read, then the value: one pass over the line.
        uint32_t hash = FIRST_HASH;
        uint32_t keyLength = 0;
        while (line[keyLength] != '\0' && line[keyLength] != '=') hash = hashStep(hash, line[keyLength++]);
        uint32_t lineLength = keyLength;
        while (line[lineLength] != '\0') ++lineLength;
        start += lineLength + 1;
        if (lineLength == 0) break;
        bool hasValue = keyLength < lineLength;
        int value = hasValue ? valueOf(line + keyLength + 1, lineLength - keyLength - 1) : DEFAULT_VALUE;
        uint32_t* slot = slotFor(line, keyLength, hash);
        // The first of equal keys is the one the platform finds.
        if (*slot == 0) {
            records[recordCount] = Record{line, keyLength, lineLength, hash, value, false, false};
            *slot = ++recordCount;
        }
    }
    fileRecordCount = recordCount;
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

bool follow(const char* databasePath) {
    Identity now;
    identityOf(databasePath, &now);
    bool current = following && BoundedText::sameFolded(followedPath, databasePath) && sameIdentity(now, followedIdentity);
    if (current) return true;
    // Taken before the read: a change made while we read shows at the next look.
    if (!load(databasePath)) return false;
    following = BoundedText::copy(followedPath, sizeof followedPath, databasePath);
    followedIdentity = now;
    return true;
}

bool lookUp(const char* databasePath, const char* quotedKey, int* value) {
    if (!follow(databasePath)) return false;
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
        uint32_t* slot = slotFor(added->text, keyLength, hash);
        record = &records[recordCount];
        *record = Record{added->text, static_cast<uint32_t>(keyLength), 0, hash, value, false, false};
        *slot = ++recordCount;
    }
    record->value = value;
    identityOf(databasePath, &followedIdentity);
}

Record* find(const char* quotedKey, size_t keyLength) {
    if (slots == nullptr) return nullptr;
    uint32_t slot = *slotFor(quotedKey, keyLength, hashOf(quotedKey, keyLength));
    return slot == 0 ? nullptr : &records[slot - 1];
}

void findMany(const char* const* quotedKeys, const size_t* keyLengths, int count, Record** found) {
    uint32_t hashes[MANY_AT_ONCE];
    uint32_t first[MANY_AT_ONCE];
    if (count > MANY_AT_ONCE) count = MANY_AT_ONCE;
    if (slots == nullptr) {
        for (int i = 0; i < count; ++i) found[i] = nullptr;
        return;
    }
    for (int i = 0; i < count; ++i) hashes[i] = hashOf(quotedKeys[i], keyLengths[i]);
    // Loads that do not wait on each other: the slots, then the records and keys they name
    // (read into `touched` only so that the loads are made here).
    for (int i = 0; i < count; ++i) first[i] = slots[hashes[i] & slotMask];
    char touched = 0;
    for (int i = 0; i < count; ++i) {
        if (first[i] != 0) touched ^= static_cast<char>(records[first[i] - 1].hash) ^ records[first[i] - 1].key[0];
    }
    touchedSink = touched;
    for (int i = 0; i < count; ++i) {
        uint32_t slot = *slotFor(quotedKeys[i], keyLengths[i], hashes[i]);
        found[i] = slot == 0 ? nullptr : &records[slot - 1];
    }
}

Record* find(const char* quotedKey) { return find(quotedKey, BoundedText::length(quotedKey, 0x10000)); }

void forEach(void (*visit)(void* context, Record& record), void* context) {
    for (uint32_t i = 0; i < fileRecordCount; ++i) visit(context, records[i]);
}

void release() {
    freeMemory(slots);
    freeMemory(records);
    section.release();
    while (addedKeys != nullptr) {
        AddedKey* next = addedKeys->next;
        freeMemory(addedKeys);
        addedKeys = next;
    }
    slots = nullptr;
    slotMask = 0;
    records = nullptr;
    recordCount = 0;
    recordCapacity = 0;
    fileRecordCount = 0;
    following = false;
}

}  // namespace DatabaseIndex
