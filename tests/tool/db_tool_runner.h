// Runs loudmark-db's logic over the simulated platform as main() runs it on Windows: a
// command line in; the exit status, standard output and standard error out.
#pragma once

#include <windows.h>

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

// `words` in UTF-8, as a Linux terminal types them; the tool gets them wide, as
// CommandLineToArgvW gives them.
inline Run run(const std::vector<std::string>& words) {
    Run result;
    Console::attach(Console::Sink{capture, &result, false});
    std::vector<std::wstring> argv = {L"loudmark-db"};
    for (const std::string& word : words) {
        std::vector<WCHAR> wide(word.size() + 1);
        int length = MultiByteToWideChar(CP_UTF8, 0, word.c_str(), static_cast<int>(word.size()), wide.data(),
                                         static_cast<int>(wide.size()));
        argv.push_back(std::wstring(wide.data(), static_cast<size_t>(length > 0 ? length : 0)));
    }
    std::vector<const WCHAR*> pointers;
    for (const std::wstring& word : argv) pointers.push_back(word.c_str());
    pointers.push_back(nullptr);
    result.status = DbTool::run(static_cast<int>(argv.size()), pointers.data());
    Console::attach(Console::Sink{nullptr, nullptr, false});
    return result;
}

}  // namespace dbtool
