// What both demos say about the volume database: the record lines a write added, and
// what a stored value means to the listener. Plain text work, no platform calls.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

namespace DemoRecords {

// The record lines of `after` that `before` did not hold, in file order.
inline std::vector<std::string> newRecordLines(const std::string& before, const std::string& after) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < after.size()) {
        size_t end = after.find('\n', start);
        if (end == std::string::npos) end = after.size();
        std::string line = after.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '"' && before.find(line) == std::string::npos) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Records hold the song's distance from the reference volume, plus 255.
inline std::string describeOffset(const std::string& line) {
    size_t equals = line.rfind('=');
    if (equals == std::string::npos) return "";
    int offset = std::atoi(line.c_str() + equals + 1) - 255;
    if (offset == 0) return "  (at the reference volume)";
    return "  (" + std::to_string(offset < 0 ? -offset : offset) + (offset < 0 ? " below" : " above") +
           " the reference volume)";
}

}  // namespace DemoRecords
