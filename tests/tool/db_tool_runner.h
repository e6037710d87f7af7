// Runs loudmark-db's logic over the simulated platform as main() runs it on Windows: a
// command line in; the exit status, standard output and standard error out. Also the
// words every tool test shares: a database built from its lines.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "plugin_test_support.h"
#include "tool/console.h"
#include "tool/db_tool.h"

namespace dbtool {

// A database as the plug-in writes it: the header, then each line with CRLF.
inline std::string database(std::initializer_list<std::string> lines) {
    std::string text = testsupport::DATABASE_HEADER;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

struct Run {
    int status = -1;
    std::string out;
    std::string err;
};

struct Capture {
    Run* run;
    const std::vector<std::string>* answers;  // what the listener types, one line each
    size_t answered;
};

inline void capture(void* context, Console::Stream stream, const char* text, size_t length) {
    Run* run = static_cast<Capture*>(context)->run;
    (stream == Console::Stream::Out ? run->out : run->err).append(text, length);
}

inline bool answer(void* context, char* line, size_t capacity) {
    Capture* capture = static_cast<Capture*>(context);
    if (capture->answered >= capture->answers->size() || capacity == 0) return false;
    snprintf(line, capacity, "%s", (*capture->answers)[capture->answered++].c_str());
    return true;
}

// Console output for a test that calls a part of the tool directly.
inline void attach(Run* run) {
    static const std::vector<std::string> none;
    static Capture captured;
    captured = Capture{run, &none, 0};
    Console::attach(Console::Sink{capture, &captured, false, nullptr});
}
inline void detach() { Console::attach(Console::Sink{nullptr, nullptr, false, nullptr}); }

// The tool run on wide `words`, as CommandLineToArgvW gives them (its name first), on
// whatever sink is attached.
inline int runWide(const std::vector<std::wstring>& words) {
    std::vector<std::wstring> argv = {L"loudmark-db"};
    argv.insert(argv.end(), words.begin(), words.end());
    std::vector<const WCHAR*> pointers;
    for (const std::wstring& word : argv) pointers.push_back(word.c_str());
    pointers.push_back(nullptr);
    return DbTool::run(static_cast<int>(argv.size()), pointers.data());
}

// `words` in UTF-8, as a Linux terminal types them; the tool gets them wide, as
// CommandLineToArgvW gives them. With `answers`, the tool runs on a terminal and the
// listener types them in turn; without, nobody is there to answer.
inline Run run(const std::vector<std::string>& words, const std::vector<std::string>* answers = nullptr) {
    Run result;
    Capture captured{&result, answers, 0};
    Console::attach(Console::Sink{capture, &captured, false, answers != nullptr ? answer : nullptr});
    std::vector<std::wstring> wideWords;
    for (const std::string& word : words) {
        std::vector<WCHAR> wide(word.size() + 1);
        int length = MultiByteToWideChar(CP_UTF8, 0, word.c_str(), static_cast<int>(word.size()), wide.data(),
                                         static_cast<int>(wide.size()));
        wideWords.push_back(std::wstring(wide.data(), static_cast<size_t>(length > 0 ? length : 0)));
    }
    result.status = runWide(wideWords);
    detach();
    return result;
}

// The first line of `text`, without its line break.
inline std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace dbtool
