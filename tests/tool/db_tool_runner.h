// Runs loudmark-db's logic over the simulated platform as main() runs it on Windows: a
// command line in; the exit status, standard output and standard error out.
#pragma once

#include <string>
#include <vector>

#include "tool/console.h"
#include "tool/db_tool.h"

namespace dbtool {

struct Run {
    int status = -1;
    std::string out;
    std::string err;
};

inline void capture(void* context, Console::Stream stream, const char* text, size_t length) {
    Run* run = static_cast<Run*>(context);
    (stream == Console::Stream::Out ? run->out : run->err).append(text, length);
}

inline Run run(const std::vector<std::string>& words) {
    Run result;
    Console::attach(Console::Sink{capture, &result, false});
    std::vector<std::string> argv = {"loudmark-db"};
    argv.insert(argv.end(), words.begin(), words.end());
    std::vector<char*> pointers;
    for (std::string& word : argv) pointers.push_back(word.data());
    pointers.push_back(nullptr);
    result.status = DbTool::run(static_cast<int>(argv.size()), pointers.data());
    Console::attach(Console::Sink{nullptr, nullptr, false});
    return result;
}

}  // namespace dbtool
