#include "adapters/profile_section.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/profile_file.h"
#include "adapters/whole_file.h"

namespace ProfileSection {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

struct Span {
    const char* start;
    const char* end;
    bool empty() const { return start == end; }
};

Span trimmed(Span text) {
    while (text.start < text.end && isBlank(*text.start)) ++text.start;
    while (text.end > text.start && isBlank(text.end[-1])) --text.end;
    return text;
}

bool isOurSection(Span name) {
    size_t length = static_cast<size_t>(name.end - name.start);
    if (length != sizeof SECTION_NAME - 1) return false;
    return ProfileFile::sameKey(name.start, SECTION_NAME, length);
}

// Whether the file begins with a byte-order mark: the platform reads such a file in
// another encoding than the one our keys are in.
bool hasByteOrderMark(const char* bytes, size_t length) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
    if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return true;
    return length >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF));
}

}  // namespace

Result parse(const char* bytes, size_t length, HeapBuffer* listing) {
    if (hasByteOrderMark(bytes, length)) return Result::Unsure;
    const char* end = bytes + length;
    bool inOurs = false;
    bool previousNameless = false;
    for (const char* at = bytes; at < end;) {
        // CR, LF and CRLF each end a line; a zero byte ends what the line says.
        Span line{at, at};
        while (line.end < end && *line.end != '\r' && *line.end != '\n') ++line.end;
        at = line.end;
        if (at < end && *at == '\r') {
            ++at;
            if (at < end && *at == '\n') ++at;
        } else if (at < end) {
            ++at;
        }
        for (const char* zero = line.start; zero < line.end; ++zero) {
            if (*zero == '\0') {
                line.end = zero;
                break;
            }
        }
        while (line.start < line.end && isBlank(*line.start)) ++line.start;
        if (line.empty()) continue;

        if (*line.start == '[') {
            const char* close = line.end - 1;
            while (close > line.start && *close != ']') --close;
            if (close > line.start) {
                // Keys in a later section of the same name are never found.
                if (inOurs) break;
                inOurs = isOurSection(trimmed(Span{line.start + 1, close}));
                previousNameless = false;
                continue;
            }
        }
        if (!inOurs) continue;

        const char* equals = line.start;
        while (equals < line.end && *equals != '=') ++equals;
        Span name = trimmed(Span{line.start, equals});
        // A nameless line right after another nameless one is dropped.
        if (name.empty() && previousNameless) continue;
        previousNameless = name.empty();
        if (!name.empty() && *name.start == ';') continue;  // a comment
        listing->append(name.start, static_cast<size_t>(name.end - name.start));
        if (equals < line.end) {
            Span value = trimmed(Span{equals + 1, line.end});
            listing->append("=", 1);
            listing->append(value.start, static_cast<size_t>(value.end - value.start));
        }
        listing->append("", 1);
    }
    return listing->failed ? Result::Unsure : Result::Listed;
}

Result read(const char* path, HeapBuffer* listing) {
    // What 9x still holds in its profile cache goes to the file first.
    ProfileFile::flush(path);
    HeapBuffer bytes;
    WholeFile::Read read = WholeFile::read(path, &bytes);
    Result result = read == WholeFile::Read::Missing ? Result::NoFile : Result::Unsure;
    if (read == WholeFile::Read::Whole) result = parse(bytes.bytes, bytes.length, listing);
    bytes.release();
    return result;
}

}  // namespace ProfileSection
