// loudmark-db.exe: the tool on the real platform, on the process's standard streams:
// the console's, or whatever they were redirected to.
#include <stdio.h>
#include <windows.h>

#include "tool/console.h"
#include "tool/db_tool.h"

namespace {

void writeBytes(Console::Stream stream, const char* text, size_t length) {
    fwrite(text, 1, length, stream == Console::Stream::Out ? stdout : stderr);
}

}  // namespace

// wmain: the arguments from the wide command line, as the C runtime splits it (by the
// rules CommandLineToArgvW documents); main()'s are in the ANSI code page, which turns a
// name it cannot hold into one that names no file. CommandLineToArgvW itself would load
// shell32, and with it user32, at every start: tens of milliseconds under Wine.
extern "C" int wmain(int argc, wchar_t** argv) {
    Console::attachStandardStreams(writeBytes);
    if (argv == nullptr) {
        fputs("loudmark-db: the command line cannot be read\n", stderr);
        return 1;
    }
    int status = DbTool::run(argc, argv);
    fflush(stdout);
    fflush(stderr);
    return status;
}
