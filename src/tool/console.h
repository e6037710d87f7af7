// Where the tool's words go: its answer on standard output, errors and notes on standard
// error, and a progress line on standard error only when that is a terminal (a script
// reading it would find the line in its way). main() says where each one ends up; the
// tests catch them.
#pragma once

#include <stddef.h>

#include <string>

namespace Console {

enum class Stream { Out, Err };

struct Sink {
    void (*write)(void* context, Stream stream, const char* text, size_t length);
    void* context;
    bool progressShown;  // standard error is a terminal
    // A line the listener types, without its line break; null when nobody can answer
    // (the input is not a terminal). False at the end of the input.
    bool (*readLine)(void* context, char* line, size_t capacity);
};

// A formatted line is cut at this many bytes; outText() takes any length.
constexpr size_t LINE_CAPACITY = 1024;

void attach(const Sink& sink);
// The process's own standard streams, as main() attaches them: to a console, text goes
// as the console shows it (wide, through WriteConsoleW: the ANSI code page's letters,
// not the console's OEM one's); redirected, as the ANSI bytes, through `writeBytes`. The
// progress line shows when standard error is a console; questions are asked when
// standard input is one.
void attachStandardStreams(void (*writeBytes)(Stream stream, const char* text, size_t length));
void out(const char* format, ...) __attribute__((format(printf, 1, 2)));
void err(const char* format, ...) __attribute__((format(printf, 1, 2)));
void outText(const char* text, size_t length);
void outText(const char* text);
// Standard output is gathered into large writes; this writes what is held. Writing to
// standard error, asking, and attaching another sink do it first.
void flush();
// Words that must come first: before the next line said on standard error (or question
// asked), `say` is called once, and may say them. Null to take it back.
void beforeNextError(void (*say)());
// Rewrites the progress line at most every few hundred milliseconds; nothing when
// progress is not shown.
void progress(const char* format, ...) __attribute__((format(printf, 1, 2)));
void endProgress();

// A yes-or-no question on standard error, answered on the terminal: true only for an
// answer that starts with y or Y. `asked` says whether anyone was there to answer.
bool ask(const char* question, bool* asked);

// "1,234,567" into `text`.
const char* count(size_t value, char* text, size_t capacity);
// "1 record", "2,000 records": the count and the word that goes with it.
std::string counted(size_t count, const char* one, const char* many);

}  // namespace Console
