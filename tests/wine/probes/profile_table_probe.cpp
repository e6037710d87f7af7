// Runs the profile-rules table (tests/common/profile_table.h) against the real profile
// functions; the Wine stage runs it (probes.sh, or run_probes.sh alone). Prints every
// disagreement and exits non-zero when there is one.
#include "../../common/profile_table.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const FILE_PATH = "C:\\loudmark-profile-table\\case.ini";

void putRaw(const std::string& bytes) {
    HANDLE file = CreateFileA(FILE_PATH, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

bool getRaw(std::string* bytes) {
    HANDLE file = CreateFileA(FILE_PATH, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char chunk[4096];
    DWORD got = 0;
    bytes->clear();
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes->append(chunk, got);
    CloseHandle(file);
    return true;
}

std::string shown(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char hex[8];
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == 0) out += "\\0";
        else if (c < 32 || c > 126) { snprintf(hex, sizeof hex, "\\x%02X", c); out += hex; }
        else out += static_cast<char>(c);
    }
    return out;
}

}  // namespace

int main() {
    using namespace profiletable;
    CreateDirectoryA("C:\\loudmark-profile-table", nullptr);
    int failures = 0;
    for (const Case& c : cases()) {
        DeleteFileA(FILE_PATH);
        if (c.before) putRaw(*c.before);
        int stepNumber = 0;
        for (const Step& step : c.steps) {
            ++stepNumber;
            char buffer[128];
            memset(buffer, '#', sizeof buffer);
            long long result = 0;
            std::string got, want;
            switch (step.op) {
                case Op::ReadInt:
                    result = static_cast<int>(GetPrivateProfileIntA(step.section, step.key, step.number, FILE_PATH));
                    break;
                case Op::ReadString:
                    result = GetPrivateProfileStringA(step.section, step.key, step.text, buffer, step.size, FILE_PATH);
                    break;
                case Op::ReadSection:
                    result = GetPrivateProfileSectionA(step.section, buffer, step.size, FILE_PATH);
                    break;
                case Op::Write:
                    result = WritePrivateProfileStringA(step.section, step.key, step.text, FILE_PATH);
                    break;
            }
            if (step.op == Op::ReadString || step.op == Op::ReadSection) {
                got.assign(buffer, step.size);
                want = step.buffer;
                if (want.size() < step.size) want.append(step.size - want.size(), '#');
            }
            if (result != step.result || got != want) {
                ++failures;
                printf("%s step %d: answered %lld (table %lld), buffer \"%s\" (table \"%s\")\n", c.name, stepNumber,
                       result, step.result, shown(got).c_str(), shown(want).c_str());
            }
        }
        std::string after;
        bool exists = getRaw(&after);
        std::optional<std::string> want = c.after ? c.after : c.before;
        if (exists != want.has_value() || (exists && after != *want)) {
            ++failures;
            printf("%s: file %s \"%s\" (table %s \"%s\")\n", c.name, exists ? "holds" : "absent", shown(after).c_str(),
                   want ? "holds" : "absent", want ? shown(*want).c_str() : "");
        }
    }
    printf("%zu cases, %d disagreements\n", cases().size(), failures);
    return failures == 0 ? 0 : 1;
}
