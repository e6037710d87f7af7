#include "memory/database_maintenance_index.h"

#include <windows.h>

#include "adapters/heap_buffer.h"
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

bool load(const char* databasePath) {
    release();
    // Read from the file itself: a listing may be cut short, or come back empty while
    // another program has the file open, and a record it lacks would be taken as gone.
    if (ProfileSection::read(databasePath, &section) == ProfileSection::Result::Unsure) {
        release();
        return false;
    }
    sectionText = section.bytes;
    DWORD length = static_cast<DWORD>(section.length);
    sectionLength = length;

    uint32_t records = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (sectionText[i] == '\0') ++records;
    }
    uint32_t slotCount = slotCountFor(records);
    if (slotCount <= records || slotCount > static_cast<size_t>(-1) / sizeof(Record)) {
        release();
        return false;
    }
    slots = static_cast<Record*>(allocateZeroed(sizeof(Record) * slotCount));
    if (slots == nullptr) {
        release();
        return false;
    }
    slotMask = slotCount - 1;

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
        uint32_t slot = hash & slotMask;
        bool taken = false;
        while (slots[slot].key != nullptr) {
            Record& other = slots[slot];
            if (other.hash == hash && other.keyLength == keyLength && ProfileFile::sameKey(other.key, line, keyLength)) {
                taken = true;  // the first of equal keys is the one the platform finds
                break;
            }
            slot = (slot + 1) & slotMask;
        }
        if (!taken) slots[slot] = Record{line, keyLength, lineLength, hash, value, false, false};
    }
    return true;
}

Record* find(const char* quotedKey) {
    if (slots == nullptr) return nullptr;
    size_t keyLength = 0;
    while (quotedKey[keyLength] != '\0') ++keyLength;
    uint32_t hash = hashOf(quotedKey, keyLength);
    for (uint32_t slot = hash & slotMask; slots[slot].key != nullptr; slot = (slot + 1) & slotMask) {
        Record& record = slots[slot];
        if (record.hash == hash && record.keyLength == keyLength && ProfileFile::sameKey(record.key, quotedKey, keyLength)) {
            return &record;
        }
    }
    return nullptr;
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
    slots = nullptr;
    sectionText = nullptr;
    sectionLength = 0;
    slotMask = 0;
}

}  // namespace DatabaseIndex
