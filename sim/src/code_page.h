// The simulated machine's text encodings. Its ANSI code page holds ASCII only: a byte
// widens to the character of the same value, and a wide character above 0x7F narrows to
// '?'. Wide text is UTF-16, as on Windows, even where wchar_t is wider: characters past
// U+FFFF come as surrogate pairs. Shared by the platform and its player.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {
namespace codepage {

constexpr char UNMAPPABLE = '?';

std::wstring widenAnsi(const char* ansi);           // null reads as empty
std::string narrowToAnsi(const WCHAR* wide);        // null reads as empty
WPARAM widenAnsiChar(WPARAM ansiChar);
WPARAM narrowToAnsiChar(WPARAM wideChar);

// UTF-8 (the playlist's and the Linux side's encoding) to and from wide text. Malformed
// bytes become U+FFFD; a lone surrogate, or a code point a wide wchar_t holds whole, is
// written as it stands.
std::wstring utf8ToWide(const std::string& utf8);
std::string wideToUtf8(const WCHAR* wide);
// One code point onto UTF-8 text.
void appendUtf8(std::string* out, uint32_t code);
// One code point from UTF-8 at `*pos`, moving `*pos` past it; U+FFFD, taking one byte,
// for a malformed sequence.
uint32_t nextUtf8(std::string_view text, size_t* pos);
// The text with every malformed sequence turned into U+FFFD, as the platform reads it.
std::string wellFormedUtf8(std::string_view text);

}  // namespace codepage
}  // namespace sim
