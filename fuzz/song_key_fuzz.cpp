// Song keys from arbitrary names, sizes and paths: the key never overruns its buffer, is
// exactly "name[size]" in quotes when it is storable, is empty when it is not, and a
// storable key reads back through the profile functions the value written under it,
// also in a database that already holds records and a byte-order mark.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <windows.h>

#include "memory/song_key.h"
#include "memory/volume_database.h"
#include "sim/platform.h"

namespace {

constexpr char DATABASE[] = "C:\\Plugins\\volume.ini";
constexpr char OTHER_KEY[] = "\"other.mp3[77]\"";

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "song_key_fuzz: %s: [%s]\n", what, detail.c_str());
    std::abort();
}

bool sameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

// The key as it must come out, built with std::string: no buffer to overrun here.
std::string expectedText(const std::string& name, int size) { return "\"" + name + "[" + std::to_string(size) + "]\""; }

bool expectedStorable(const std::string& text) {
    return text.size() < SONG_KEY_CAPACITY && text.find_first_of("=\r\n") == std::string::npos;
}

void checkKey(const SongKey& key, const std::string& name, int size) {
    std::string want = expectedText(name, size);
    bool storable = expectedStorable(want);
    if (key.storable != storable) fail("storable flag wrong", want);
    if (storable && want != key.text) fail("key text wrong", key.text);
    if (!storable && key.text[0] != '\0') fail("a key that cannot be stored is not empty", key.text);
}

void checkRoundTrip(const SongKey& key, int value, bool existingDatabase) {
    std::string before;
    if (existingDatabase) {
        // No byte-order mark: Windows never finds our section behind one, and the plug-in
        // writes such a file back as plain text before it reads it.
        before = std::string("[Tamsel Loudmark]\r\n") + OTHER_KEY + "=300\r\n";
        sim::writeFile(DATABASE, before);
    } else {
        DeleteFileA(DATABASE);
    }
    VolumeDatabase::write(key, value, DATABASE);
    if (!key.storable) {
        if (sim::readFile(DATABASE) != before) fail("a key that cannot be stored changed the file", key.text);
        if (VolumeDatabase::read(key, DATABASE) != VolumeDatabase::NO_RECORD) fail("an unstorable key found", "");
        return;
    }
    int read = VolumeDatabase::read(key, DATABASE);
    if (read != value) fail("the written value does not read back", key.text);
    if (existingDatabase) {
        bool collides = sameIgnoringAsciiCase(key.text, OTHER_KEY);
        int other = static_cast<int>(GetPrivateProfileIntA("Tamsel Loudmark", OTHER_KEY, -1, DATABASE));
        if (other != (collides ? value : 300)) fail("the neighbouring record changed", key.text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = false;
    if (!ready) {
        const char* tmp = std::getenv("TMPDIR");
        std::string root = std::string(tmp ? tmp : "/tmp") + "/loudmark-song-key-fuzz-" + std::to_string(getpid());
        std::filesystem::remove_all(root);
        sim::reset(root);
        // The database's folder, and no file but the song's below: any other path opens
        // nothing, so a path's size is known without asking the code under test.
        std::filesystem::create_directories(sim::linuxPath("C:\\Plugins"));
        ready = true;
    }
    FuzzedDataProvider in(data, size);
    uint8_t mode = in.ConsumeIntegral<uint8_t>();
    int fileSize = in.ConsumeIntegral<int>();
    int value = in.ConsumeIntegral<int>();
    std::string raw = in.ConsumeRemainingBytesAsString();
    std::string text = raw.substr(0, raw.find('\0'));  // what a C string of these bytes says

    SongKey byName = SongKey::fromNameAndSize(text.c_str(), fileSize);
    checkKey(byName, text, fileSize);
    checkRoundTrip(byName, value, (mode & 1) != 0);

    // The same bytes as a path: a file is put there first when the mode says so, with a
    // small size the key must then carry; any other path has no file, so -1.
    DeleteFileA(DATABASE);
    std::string path = (mode & 2) ? "C:\\Music\\" + text : text;
    int written = mode >> 2;
    bool plainName = !text.empty() && text.find_first_not_of(
                                          "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-") ==
                                          std::string::npos;
    bool made = (mode & 2) && plainName && path.size() < 250;
    if (made) sim::writeFile(path, std::string(static_cast<size_t>(written), 'x'));
    SongKey byPath = SongKey::fromPath(path.c_str());
    size_t slash = path.rfind('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    checkKey(byPath, name, made ? written : -1);
    if (made) DeleteFileA(path.c_str());

    SongKey none = SongKey::fromPath(nullptr);
    if (none.storable || none.text[0] != '\0') fail("a missing path gave a key", none.text);
    return 0;
}
