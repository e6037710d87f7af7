// The simulated profile functions on arbitrary file bytes. Every read stays inside the
// buffer it is given, answers a length that the buffer holds, and a short buffer gets a
// prefix of what a large one gets (all of it when it fits). A write of a key shaped as
// the plug-in's ("name[size]" in quotes) reads back, and once the platform has rewritten
// a file, writing one more key changes no other value, adds no other key, and deleting
// it again gives back the very same bytes.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "sim/platform.h"

namespace {

constexpr char FILE_PATH[] = "C:\\Data\\profile.ini";
constexpr DWORD LARGE = 1 << 16;

std::string escaped(const std::string& bytes) {
    std::string out;
    char hex[8];
    for (unsigned char c : bytes) {
        if (c >= 32 && c < 127 && c != '\\') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

std::string scene;  // what the failing input set up, for the report

void fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "profile_reader_fuzz: %s: [%s]\n%s\nfile now: %s\n", what, escaped(detail).c_str(),
                 scene.c_str(), escaped(sim::readFile(FILE_PATH)).c_str());
    std::abort();
}

// A buffer of exactly `size` bytes on the heap, so that a write past it is caught.
struct Buffer {
    std::unique_ptr<char[]> bytes;
    DWORD size;
    explicit Buffer(DWORD n) : bytes(new char[n == 0 ? 1 : n]), size(n) { std::memset(bytes.get(), 0x55, size); }
    char* data() { return size == 0 ? nullptr : bytes.get(); }
};

// A zero-separated list as the platform hands it out.
std::vector<std::string> splitList(const char* list, DWORD length) {
    std::vector<std::string> out;
    for (DWORD start = 0; start < length;) {
        size_t n = strnlen(list + start, length - start);
        out.emplace_back(list + start, n);
        start += static_cast<DWORD>(n) + 1;
    }
    return out;
}

// A list read into a short buffer is a prefix of the whole list, closed with zeros.
void checkShortList(const std::string& whole, const char* shortList, DWORD answer, DWORD size, bool sectionRead) {
    if (size == 0) return;
    if (answer >= size) fail("a list answer not below the buffer size");
    if (whole.size() < size - 1 || (sectionRead && whole.size() + 1 < size)) {
        // It fitted: all of it.
        if (answer != whole.size() || std::memcmp(shortList, whole.data(), whole.size()) != 0) {
            fail("a list that fits a short buffer differs from the whole", std::string(shortList, answer));
        }
        return;
    }
    if (size >= 2 && answer != size - 2) fail("a cut list does not answer size - 2");
    if (std::memcmp(shortList, whole.data(), answer) != 0) fail("a cut list is not a prefix");
    if (shortList[answer] != '\0') fail("a cut list is not terminated");
}

std::string readList(const char* section, DWORD size, bool sectionRead, DWORD* answer) {
    Buffer buffer(size);
    *answer = sectionRead ? GetPrivateProfileSectionA(section, buffer.data(), size, FILE_PATH)
                          : GetPrivateProfileStringA(section, nullptr, "", buffer.data(), size, FILE_PATH);
    if (size != 0 && *answer >= size) fail("an answer beyond the buffer");
    return std::string(buffer.data() == nullptr ? "" : buffer.data(), size == 0 ? 0 : *answer);
}

std::string readValue(const std::string& section, const std::string& key, DWORD size, const char* fallback = "") {
    Buffer buffer(size);
    DWORD answer = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback, buffer.data(), size, FILE_PATH);
    if (size == 0) return std::string();
    if (answer >= size) fail("a value longer than its buffer", key);
    if (buffer.data()[answer] != '\0') fail("a value not terminated", key);
    return std::string(buffer.data(), answer);
}

// Every value of every section, as a reader by name finds it.
std::map<std::string, std::string> snapshot() {
    std::map<std::string, std::string> values;
    DWORD answer = 0;
    std::string names = readList(nullptr, LARGE, false, &answer);
    for (const std::string& section : splitList(names.c_str(), answer)) {
        DWORD keysAnswer = 0;
        std::string keys = readList(section.c_str(), LARGE, false, &keysAnswer);
        for (const std::string& key : splitList(keys.c_str(), keysAnswer)) {
            values[section + '\n' + key] = readValue(section, key, LARGE, "\x01missing");
        }
    }
    return values;
}

// A key as the plug-in writes one: any name but for '=' and line breaks (which its song
// key never holds), its size in brackets, all in quotes.
std::string songKey(FuzzedDataProvider& in) {
    std::string name;
    for (char c : in.ConsumeRandomLengthString(24)) {
        if (c != '=' && c != '\r' && c != '\n' && c != '\0') name += c;
    }
    return "\"" + name + "[" + std::to_string(in.ConsumeIntegralInRange<int>(-1, 99999)) + "]\"";
}

// A section name a writer may use and find again: no line break or '=', no opening
// bracket, no blanks or quotes at its ends that the reader would take off.
std::string plainName(FuzzedDataProvider& in, const char* fallback) {
    std::string name = in.ConsumeRandomLengthString(24);
    std::string out;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || c == '=' || c == '[' || c == ']' || c == ';' || c == '"' || c == '\'' || c == ' ') continue;
        out += c;
    }
    return out.empty() ? fallback : out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = false;
    if (!ready) {
        const char* tmp = std::getenv("TMPDIR");
        std::string root = std::string(tmp ? tmp : "/tmp") + "/loudmark-profile-fuzz-" + std::to_string(getpid());
        std::filesystem::remove_all(root);
        sim::reset(root);
        ready = true;
    }
    FuzzedDataProvider in(data, size);
    DWORD shortSize = in.ConsumeIntegralInRange<DWORD>(0, 80);
    std::string section = in.ConsumeBool() ? "Tamsel Loudmark" : plainName(in, "Tamsel Loudmark");
    std::string key = songKey(in);
    std::string key2 = songKey(in);
    int number = in.ConsumeIntegral<int>();
    std::string file = in.ConsumeRemainingBytesAsString();
    sim::writeFile(FILE_PATH, file);
    scene = "section [" + escaped(section) + "] key [" + escaped(key) + "] key2 [" + escaped(key2) + "] file [" +
            escaped(file) + "]";

    // Reads of the raw file, into short buffers and large ones.
    DWORD wholeAnswer = 0, shortAnswer = 0;
    std::string names = readList(nullptr, LARGE, false, &wholeAnswer);
    std::string shortNames = readList(nullptr, shortSize, false, &shortAnswer);
    checkShortList(names, shortNames.c_str(), shortAnswer, shortSize, false);
    for (const std::string& name : splitList(names.c_str(), wholeAnswer)) {
        std::string keys = readList(name.c_str(), LARGE, false, &wholeAnswer);
        std::string listing = readList(name.c_str(), LARGE, true, &wholeAnswer);
        std::string shortListing = readList(name.c_str(), shortSize, true, &shortAnswer);
        checkShortList(listing, shortListing.c_str(), shortAnswer, shortSize, true);
        for (const std::string& k : splitList(keys.c_str(), static_cast<DWORD>(keys.size()))) {
            std::string value = readValue(name, k, LARGE);
            std::string cut = readValue(name, k, shortSize);
            if (value.compare(0, cut.size(), cut) != 0) fail("a cut value is not a prefix", k);
            GetPrivateProfileIntA(name.c_str(), k.c_str(), -1, FILE_PATH);
        }
    }

    // A written key reads back, as text and as a number. Unless the write made a
    // byte-order mark inside the file stand first, UTF-8 or UTF-16LE (the platform drops
    // the empty lines before it): the file is then read in another encoding, in which the
    // key need not read back (Wine behaves alike).
    std::string text = std::to_string(number);
    WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(), FILE_PATH);
    auto beginsWithMark = [](const std::string& bytes) {
        return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 || bytes.compare(0, 2, "\xFF\xFE") == 0;
    };
    if (!beginsWithMark(file) && beginsWithMark(sim::readFile(FILE_PATH))) return 0;
    if (readValue(section, key, LARGE) != text) fail("a written key does not read back", key);
    if (static_cast<int>(GetPrivateProfileIntA(section.c_str(), key.c_str(), -1, FILE_PATH)) != number) {
        fail("a written number does not read back", key);
    }

    // The file as the platform writes it: one more key changes nothing else, and taking
    // it away again restores the bytes. Only for a key the section does not hold in any
    // form (a bare name counts).
    DWORD listed = 0;
    std::string listing = readList(section.c_str(), LARGE, true, &listed);
    for (const std::string& line : splitList(listing.c_str(), listed)) {
        std::string name = line.substr(0, line.find('='));
        if (strcasecmp(name.c_str(), key2.c_str()) == 0) return 0;
    }
    // One rewrite may not be the last word: the lines of a nameless "[]" section join
    // the section before it once its header is gone, and a nameless line that then
    // follows another is dropped at the next read. A second rewrite settles the file.
    WritePrivateProfileStringA(section.c_str(), key2.c_str(), "5", FILE_PATH);
    WritePrivateProfileStringA(section.c_str(), key2.c_str(), nullptr, FILE_PATH);
    if (readValue(section, key, LARGE) != text) fail("settling the file lost the written key", key);
    std::string rewritten = sim::readFile(FILE_PATH);
    std::map<std::string, std::string> before = snapshot();
    WritePrivateProfileStringA(section.c_str(), key2.c_str(), "5", FILE_PATH);
    if (readValue(section, key2, LARGE) != "5") fail("a second key does not read back", key2);
    if (readValue(section, key, LARGE) != text) fail("a second key disturbed the first", key);
    std::map<std::string, std::string> after = snapshot();
    for (const auto& entry : before) {
        auto found = after.find(entry.first);
        if (found == after.end() || found->second != entry.second) fail("a write changed another value", entry.first);
    }
    // Both ways: the key written is all that is new (listed under every spelling of its
    // section's name).
    for (const auto& entry : after) {
        if (before.count(entry.first) != 0) continue;
        std::string name = entry.first.substr(entry.first.find('\n') + 1);
        if (strcasecmp(name.c_str(), key2.c_str()) != 0 || entry.second != "5") fail("a write added another key", entry.first);
    }
    WritePrivateProfileStringA(section.c_str(), key2.c_str(), nullptr, FILE_PATH);
    if (sim::readFile(FILE_PATH) != rewritten) fail("deleting the added key left the file changed", key2);
    return 0;
}
