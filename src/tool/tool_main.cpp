// loudmark-db.exe: the tool on the real platform, on the process's standard streams:
// the console's, or whatever they were redirected to.
#include <stdio.h>
#include <windows.h>
#include <shellapi.h>

#include "tool/console.h"
#include "tool/db_tool.h"

namespace {

void writeBytes(Console::Stream stream, const char* text, size_t length) {
    fwrite(text, 1, length, stream == Console::Stream::Out ? stdout : stderr);
}

}  // namespace

// The arguments from the wide command line: main()'s are in the ANSI code page, which
// turns a name it cannot hold into one that names no file.
int main() {
    Console::attachStandardStreams(writeBytes);
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
