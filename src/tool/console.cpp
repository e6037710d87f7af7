#include "tool/console.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <windows.h>

#include "adapters/bounded_text.h"

namespace Console {

namespace {

constexpr DWORD PROGRESS_INTERVAL_MS = 200;

Sink sink = {nullptr, nullptr, false, nullptr};
bool progressOnScreen = false;
DWORD lastProgressAt = 0;
void (*sayFirst)() = nullptr;

// What must come before the next error, once.
void sayWhatComesFirst() {
    void (*say)() = sayFirst;
    sayFirst = nullptr;
    if (say != nullptr) say();
}

// Standard output gathered into large writes: a list of 100,000 records is some 400,000
// pieces, and each write to a console or a device (NUL) is a call into the system. Held
// back only until standard error is written, so that the two keep their order where they
// share a screen.
char pendingOut[16384];
size_t pendingLength = 0;

void flushOut() {
    if (pendingLength > 0 && sink.write != nullptr) sink.write(sink.context, Stream::Out, pendingOut, pendingLength);
    pendingLength = 0;
}

void emit(Stream stream, const char* text, size_t length) {
    if (sink.write == nullptr || length == 0) return;
    if (stream == Stream::Out) {
        if (pendingLength + length > sizeof pendingOut) flushOut();
        if (length <= sizeof pendingOut) {
            for (size_t i = 0; i < length; ++i) pendingOut[pendingLength + i] = text[i];
            pendingLength += length;
            return;
        }
    } else {
        flushOut();
    }
    sink.write(sink.context, stream, text, length);
}

void emitFormatted(Stream stream, const char* format, va_list arguments) {
    char line[LINE_CAPACITY];
    int length = vsnprintf(line, sizeof line, format, arguments);
    if (length < 0) return;
    size_t kept = static_cast<size_t>(length) < sizeof line ? static_cast<size_t>(length) : sizeof line - 1;
    emit(stream, line, kept);
}

// The standard streams main() hands over.
struct Standard {
    void (*writeBytes)(Stream stream, const char* text, size_t length);
    HANDLE output;
    HANDLE error;
    HANDLE input;
    // Asked once: under Wine each GetConsoleMode is a round trip to the server, and a dry
    // run writes a line per record.
    bool outputIsConsole;
    bool errorIsConsole;
};
Standard standard = {nullptr, nullptr, nullptr, nullptr, false, false};

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != FALSE;
}

void writeStandard(void* context, Stream stream, const char* text, size_t length) {
    Standard* streams = static_cast<Standard*>(context);
    HANDLE handle = stream == Stream::Out ? streams->output : streams->error;
    if (!(stream == Stream::Out ? streams->outputIsConsole : streams->errorIsConsole)) {
        streams->writeBytes(stream, text, length);
        return;
    }
    // In pieces of whole lines, at most LINE_CAPACITY long: a piece never ends inside a
    // letter of two bytes but where a single line is longer than that.
    WCHAR wide[LINE_CAPACITY];
    while (length > 0) {
        int piece = static_cast<int>(length < LINE_CAPACITY ? length : LINE_CAPACITY);
        if (static_cast<size_t>(piece) < length) {
            int lineEnd = piece;
            while (lineEnd > 0 && text[lineEnd - 1] != '\n') --lineEnd;
            if (lineEnd > 0) piece = lineEnd;
        }
        int count = MultiByteToWideChar(CP_ACP, 0, text, piece, wide, LINE_CAPACITY);
        DWORD written = 0;
        if (count <= 0 || !WriteConsoleW(handle, wide, static_cast<DWORD>(count), &written, nullptr)) {
            streams->writeBytes(stream, text, length);
            return;
        }
        text += piece;
        length -= static_cast<size_t>(piece);
    }
}

bool readStandard(void* context, char* line, size_t capacity) {
    Standard* streams = static_cast<Standard*>(context);
    WCHAR wide[64];
    DWORD read = 0;
    if (!ReadConsoleW(streams->input, wide, sizeof wide / sizeof wide[0] - 1, &read, nullptr) || read == 0) return false;
    while (read > 0 && (wide[read - 1] == '\n' || wide[read - 1] == '\r')) --read;
    wide[read] = 0;
    int count = WideCharToMultiByte(CP_ACP, 0, wide, -1, line, static_cast<int>(capacity), nullptr, nullptr);
    if (count <= 0) line[0] = '\0';
    return true;
}

}  // namespace

void attach(const Sink& newSink) {
    flushOut();
    sink = newSink;
    progressOnScreen = false;
    lastProgressAt = 0;
    sayFirst = nullptr;
}

void attachStandardStreams(void (*writeBytes)(Stream stream, const char* text, size_t length)) {
    standard = Standard{writeBytes, GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE),
                        GetStdHandle(STD_INPUT_HANDLE), false, false};
    standard.outputIsConsole = isConsole(standard.output);
    standard.errorIsConsole = isConsole(standard.error);
    attach(Sink{writeStandard, &standard, standard.errorIsConsole, isConsole(standard.input) ? readStandard : nullptr});
}

void out(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    emitFormatted(Stream::Out, format, arguments);
    va_end(arguments);
}

void err(const char* format, ...) {
    sayWhatComesFirst();
    endProgress();  // an error line must not land on the end of a progress line
    va_list arguments;
    va_start(arguments, format);
    emitFormatted(Stream::Err, format, arguments);
    va_end(arguments);
}

void beforeNextError(void (*say)()) { sayFirst = say; }

void outText(const char* text, size_t length) { emit(Stream::Out, text, length); }

void flush() { flushOut(); }

void outText(const char* text) { emit(Stream::Out, text, BoundedText::length(text, SIZE_MAX)); }

void progress(const char* format, ...) {
    if (!sink.progressShown) return;
    DWORD now = GetTickCount();
    if (progressOnScreen && now - lastProgressAt < PROGRESS_INTERVAL_MS) return;
    lastProgressAt = now;
    char line[LINE_CAPACITY];
    line[0] = '\r';
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(line + 1, sizeof line - 1, format, arguments);
    va_end(arguments);
    if (length < 0) return;
    size_t kept = static_cast<size_t>(length) < sizeof line - 1 ? static_cast<size_t>(length) : sizeof line - 2;
    emit(Stream::Err, line, kept + 1);
    progressOnScreen = true;
}

void endProgress() {
    if (!progressOnScreen) return;
    // Blanks over the last progress line, then back to its start.
    static const char blank[] = "\r                                                                              \r";
    emit(Stream::Err, blank, sizeof blank - 1);
    progressOnScreen = false;
}

bool ask(const char* question, bool* asked) {
    *asked = sink.readLine != nullptr;
    if (!*asked) return false;
    sayWhatComesFirst();
    endProgress();
    emit(Stream::Err, question, BoundedText::length(question, LINE_CAPACITY));
    char answer[16] = "";
    if (!sink.readLine(sink.context, answer, sizeof answer)) return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

const char* count(size_t value, char* text, size_t capacity) {
    char digits[32];
    int length = snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(value));
    size_t out = 0;
    for (int i = 0; i < length && out + 1 < capacity; ++i) {
        if (i > 0 && (length - i) % 3 == 0 && out + 2 < capacity) text[out++] = ',';
        text[out++] = digits[i];
    }
    if (capacity > 0) text[out < capacity ? out : capacity - 1] = '\0';
    return text;
}

std::string counted(size_t count, const char* one, const char* many) {
    char number[32];
    return std::string(Console::count(count, number, sizeof number)) + " " + (count == 1 ? one : many);
}

}  // namespace Console
