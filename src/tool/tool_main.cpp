// loudmark-db.exe: the tool on the real platform. Its standard streams are the console's
// (or whatever they were redirected to); the progress line is shown only on a terminal.
#include <io.h>
#include <stdio.h>
#include <windows.h>
#include <shellapi.h>

#include "tool/console.h"
#include "tool/db_tool.h"

namespace {

void writeToStream(void*, Console::Stream stream, const char* text, size_t length) {
    fwrite(text, 1, length, stream == Console::Stream::Out ? stdout : stderr);
}

}  // namespace

// The arguments from the wide command line: main()'s are in the ANSI code page, which
// turns a name it cannot hold into one that names no file.
int main() {
    Console::attach(Console::Sink{writeToStream, nullptr, _isatty(_fileno(stderr)) != 0, nullptr});
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) {
        fputs("loudmark-db: the command line cannot be read\n", stderr);
        return 1;
    }
    int status = DbTool::run(argc, argv);
    LocalFree(argv);
    fflush(stdout);
    fflush(stderr);
    return status;
}
