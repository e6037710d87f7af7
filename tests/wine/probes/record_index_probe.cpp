// Checks the maintenance pass's own reading of the database (DatabaseIndex) against the
// real GetPrivateProfileIntA: for odd and random database files, every key the index
// finds (or does not) must read the same through the platform. Run by the Wine stage (probes.sh).
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "adapters/profile_file.h"
#include "memory/database_index.h"

namespace {

const char* const PATH = "C:\\loudmark-index-probe\\volume.ini";

void putRaw(const std::string& bytes) {
    HANDLE file = CreateFileA(PATH, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

int compare(const std::string& database, const std::vector<std::string>& keys) {
    putRaw(database);
    // A file with a byte-order mark is not read the way the platform reads it: the index
    // must refuse it rather than answer.
    bool marked = database.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (!DatabaseIndex::load(PATH)) {
        if (marked) return 0;
        printf("load failed\n");
        return 1;
    }
    if (marked) {
        printf("a file with a byte-order mark was read\n");
        DatabaseIndex::release();
        return 1;
    }
    int disagreements = 0;
    for (const std::string& key : keys) {
        DatabaseIndex::Record* record = DatabaseIndex::find(key.c_str());
        int ours = record == nullptr ? -1 : record->value;
        int platform = static_cast<int>(GetPrivateProfileIntA(SECTION_NAME, key.c_str(), -1, PATH));
        if (ours != platform) {
            ++disagreements;
            printf("key %s: index %d, platform %d, in:\n%s\n---\n", key.c_str(), ours, platform, database.c_str());
        }
    }
    DatabaseIndex::release();
    return disagreements;
}

}  // namespace

int main() {
    CreateDirectoryA("C:\\loudmark-index-probe", nullptr);
    const std::vector<std::string> keys = {"\"a.mp3[10]\"", "\"A.MP3[10]\"", "\"b.mp3[20]\"", "\"\xC4.mp3[5]\"",
                                           "\"\xE4.mp3[5]\"", "\"c.mp3[-1]\"", "\"a.mp3[11]\"", "\"d e.mp3[1]\""};
    const std::vector<std::string> values = {"300",   "130",   "-1",    "0x100", "0X100", "'200'", "\"7\"",
                                             "\"7",   "",      "abc",   "12x",   "-0x10", "0b111", "0o17",
                                             " 140 ", "+260",  "- 5",   "99999999999",     "4294967295",
                                             "\"\"",  "\"  \"", "12.7", "00000000000000000000000000000300",
                                             "0000000000000000000000000300", "\xA0" "5", "\x01" "5", "\t9"};
    const std::vector<std::string> headers = {"[Tamsel Loudmark]", "[tamsel LOUDMARK]", "[Other]",
                                              "  [ Tamsel Loudmark ] x", "[Tamsel Loudmark"};
    std::mt19937 random(20261208);
    auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
    int disagreements = 0;
    int rounds = 3000;
    for (int round = 0; round < rounds; ++round) {
        std::string database = round % 7 == 0 ? "\xEF\xBB\xBF" : "";
        database += headers[pick(2)] + "\r\n";
        size_t lines = 1 + pick(16);
        for (size_t i = 0; i < lines; ++i) {
            const std::string& key = keys[pick(keys.size())];
            const std::string& value = values[pick(values.size())];
            switch (pick(12)) {
                case 0: database += headers[pick(headers.size())] + "\r\n"; break;
                case 1: database += ";" + key + "=1\r\n"; break;
                case 2: database += key + "\r\n"; break;
                case 3: database += "  " + key + " \t= " + value + "\n"; break;
                case 4: database += "=" + value + "\r\n"; break;
                case 5: database += key + "=" + value + "\r"; break;
                default: database += key + "=" + value + "\r\n"; break;
            }
        }
        disagreements += compare(database, keys);
        if (disagreements > 20) break;
    }
    printf("%d rounds, %d disagreements\n", rounds, disagreements);
    return disagreements == 0 ? 0 : 1;
}
