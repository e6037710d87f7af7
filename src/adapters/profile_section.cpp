#include "adapters/profile_section.h"

#include <windows.h>

#include "adapters/bounded_text.h"
#include "adapters/profile_encoding.h"
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

// The listing of `length` bytes into `out`, which may be `bytes` itself: what a line
// leaves is never longer than the line and its line break, so the listing never
// overtakes what is still to be read (the last line, which has no break, needs one byte
// more: the caller gives room for it). Answers the listing's length. One scan a line:
// a large database is read this way before every pass.
size_t listInto(const char* bytes, size_t length, char* out) {
    char* const first = out;
    const char* const end = bytes + length;
    bool inOurs = false;
    bool previousNameless = false;
    for (const char* at = bytes; at < end;) {
        // CR, LF and CRLF each end a line; a zero byte ends what the line says.
        Span line{at, at};
        const char* equals = nullptr;
        const char* zero = nullptr;
        for (; line.end < end && *line.end != '\r' && *line.end != '\n'; ++line.end) {
            char c = *line.end;
            if (c == '=' && equals == nullptr) equals = line.end;
            if (c == '\0' && zero == nullptr) zero = line.end;
        }
        at = line.end;
        if (at < end && *at == '\r') {
            ++at;
            if (at < end && *at == '\n') ++at;
        } else if (at < end) {
            ++at;
        }
        if (zero != nullptr) {
            line.end = zero;
            if (equals != nullptr && equals > zero) equals = nullptr;
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

        if (equals == nullptr) equals = line.end;
        Span name = trimmed(Span{line.start, equals});
        // A nameless line right after another nameless one is dropped.
        if (name.empty() && previousNameless) continue;
        previousNameless = name.empty();
        if (!name.empty() && *name.start == ';') continue;  // a comment
        for (const char* c = name.start; c < name.end;) *out++ = *c++;
        if (equals < line.end) {
            Span value = trimmed(Span{equals + 1, line.end});
            *out++ = '=';
            for (const char* c = value.start; c < value.end;) *out++ = *c++;
        }
        *out++ = '\0';
    }
    return static_cast<size_t>(out - first);
}

}  // namespace

Result parse(const char* bytes, size_t length, HeapBuffer* listing) {
    // A file with a byte-order mark is read by the platform in another encoding than our keys.
    if (ProfileEncoding::hasMark(bytes, length)) return Result::Unsure;
    if (!listing->reserve(listing->length + length + 1)) return Result::Unsure;
    listing->length += listInto(bytes, length, listing->bytes + listing->length);
    return Result::Listed;
}

Result read(const char* path, HeapBuffer* listing) {
    // What 9x still holds in its profile cache goes to the file first.
    ProfileFile::flush(path);
    // Read into the listing's own room and listed where it lies: a large database is
    // then in memory once, not twice.
    size_t before = listing->length;
    WholeFile::Read read = WholeFile::read(path, listing);
    if (read != WholeFile::Read::Whole) {
        listing->length = before;
        return read == WholeFile::Read::Missing ? Result::NoFile : Result::Unsure;
    }
    char* bytes = listing->bytes + before;
    size_t length = listing->length - before;
    listing->length = before;
    if (ProfileEncoding::hasMark(bytes, length)) return Result::Unsure;
    listing->length += listInto(bytes, length, bytes);
    return Result::Listed;
}

}  // namespace ProfileSection
