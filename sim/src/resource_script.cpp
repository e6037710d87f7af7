// Reads the resource script: just enough of the preprocessor (quoted includes and
// numeric defines) and the ICON statements.
#include "resource_script.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "sim/platform.h"

namespace sim {
namespace resources {

namespace {

Script script;
constexpr int DEEPEST_INCLUDE = 16;

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool isFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> subfolders(const std::string& folder) {
    std::vector<std::string> out;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            struct stat st;
            std::string full = folder + "/" + name;
            if (stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) out.push_back(full);
        }
        closedir(dir);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string trim(const std::string& text) {
    size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return "";
    size_t e = text.find_last_not_of(" \t\r\n");
    return text.substr(b, e - b + 1);
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Strips // and /* */ comments outside string literals; `inBlock` carries a block
// comment over to the next line.
std::string withoutComments(const std::string& line, bool* inBlock) {
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        char n = i + 1 < line.size() ? line[i + 1] : '\0';
        if (*inBlock) {
            if (c == '*' && n == '/') {
                *inBlock = false;
                ++i;
            }
            continue;
        }
        if (inString) {
            out += c;
            if (c == '"') inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
            out += c;
        } else if (c == '/' && n == '/') {
            break;
        } else if (c == '/' && n == '*') {
            *inBlock = true;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// The words of a statement; a quoted string is one word, kept with its quotes.
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        size_t start = i;
        if (text[i] == '"') {
            i = text.find('"', i + 1);
            i = i == std::string::npos ? text.size() : i + 1;
        } else {
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        }
        out.push_back(text.substr(start, i - start));
    }
    return out;
}

std::string unquoted(const std::string& word) {
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"') return word.substr(1, word.size() - 2);
    return word;
}

std::string findInclude(const std::string& name, const std::string& includingFile,
                        const std::vector<std::string>& includeFolders) {
    std::vector<std::string> candidates{folderOf(includingFile)};
    candidates.insert(candidates.end(), includeFolders.begin(), includeFolders.end());
    std::string parent = folderOf(folderOf(script.path));
    candidates.push_back(parent);
    for (const std::string& sub : subfolders(parent)) candidates.push_back(sub);
    for (const std::string& folder : candidates) {
        if (isFile(folder + "/" + name)) return folder + "/" + name;
    }
    return "";
}

void readFile(const std::string& path, const std::vector<std::string>& includeFolders, int depth, bool isScript) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "sim: resource file %s cannot be read\n", path.c_str());
        return;
    }
    std::string raw;
    int number = 0;
    bool inBlock = false;
    while (std::getline(in, raw)) {
        ++number;
        std::string text = trim(withoutComments(raw, &inBlock));
        if (text.empty()) continue;
        std::vector<std::string> w = words(text);
        if (w[0] == "#include" && w.size() >= 2 && w[1].front() == '"') {
            std::string found = findInclude(unquoted(w[1]), path, includeFolders);
            if (found.empty()) {
                std::fprintf(stderr, "sim: %s:%d: include %s not found\n", path.c_str(), number, w[1].c_str());
            } else if (depth < DEEPEST_INCLUDE) {
                readFile(found, includeFolders, depth + 1, false);
            }
            continue;
        }
        if (w[0] == "#define" && w.size() >= 3) {
            long value;
            if (resolveNumber(w[2], &value)) script.defines[w[1]] = value;
            continue;
        }
        if (w[0][0] == '#') continue;
        if (w.size() >= 3 && upper(w[1]) == "ICON") {
            std::string iconFile = unquoted(w.back());
            long id;
            if (resolveNumber(w[0], &id)) {
                script.iconsByNumber[static_cast<int>(id)] = iconFile;
            } else {
                script.iconsByName[upper(w[0])] = iconFile;
            }
        }
        if (isScript) script.lines.push_back(ScriptLine{path, number, text});
    }
}

}  // namespace

const Script& current() { return script; }

void clear() { script = Script{}; }

bool resolveNumber(const std::string& token, long* value) {
    std::string t = trim(token);
    while (t.size() >= 2 && t.front() == '(' && t.back() == ')') t = trim(t.substr(1, t.size() - 2));
    if (t.empty()) return false;
    auto named = script.defines.find(t);
    if (named != script.defines.end()) {
        *value = named->second;
        return true;
    }
    char* end = nullptr;
    long v = std::strtol(t.c_str(), &end, 0);
    // Allow the L and U suffixes C numbers may carry.
    while (*end == 'L' || *end == 'l' || *end == 'U' || *end == 'u') ++end;
    if (end == t.c_str() || *end != '\0') return false;
    *value = v;
    return true;
}

}  // namespace resources

void loadResourceScript(const std::string& linuxPath, const std::vector<std::string>& includeFolders) {
    resources::clear();
    resources::script.path = linuxPath;
    resources::readFile(linuxPath, includeFolders, 0, true);
    resources::script.loaded = true;
}

}  // namespace sim
