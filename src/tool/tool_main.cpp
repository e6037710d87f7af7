// loudmark-db.exe: the tool on the real platform. Its standard streams are the console's
// (or whatever they were redirected to); the progress line is shown only on a terminal.
#include <io.h>
#include <stdio.h>

#include "tool/console.h"
#include "tool/db_tool.h"

namespace {

void writeToStream(void*, Console::Stream stream, const char* text, size_t length) {
    fwrite(text, 1, length, stream == Console::Stream::Out ? stdout : stderr);
}

}  // namespace

int main(int argc, char** argv) {
    Console::attach(Console::Sink{writeToStream, nullptr, _isatty(_fileno(stderr)) != 0});
    int status = DbTool::run(argc, argv);
    fflush(stdout);
    fflush(stderr);
    return status;
}
