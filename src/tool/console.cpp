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

void emit(Stream stream, const char* text, size_t length) {
    if (sink.write != nullptr && length > 0) sink.write(sink.context, stream, text, length);
}

void emitFormatted(Stream stream, const char* format, va_list arguments) {
    char line[LINE_CAPACITY];
    int length = vsnprintf(line, sizeof line, format, arguments);
    if (length < 0) return;
    size_t kept = static_cast<size_t>(length) < sizeof line ? static_cast<size_t>(length) : sizeof line - 1;
    emit(stream, line, kept);
}

}  // namespace

void attach(const Sink& newSink) {
    sink = newSink;
    progressOnScreen = false;
    lastProgressAt = 0;
}

void out(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    emitFormatted(Stream::Out, format, arguments);
    va_end(arguments);
}

void err(const char* format, ...) {
    endProgress();  // an error line must not land on the end of a progress line
    va_list arguments;
    va_start(arguments, format);
    emitFormatted(Stream::Err, format, arguments);
    va_end(arguments);
}

void outText(const char* text, size_t length) { emit(Stream::Out, text, length); }

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

}  // namespace Console
