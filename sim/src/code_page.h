// The simulated machine's text encodings. Its ANSI code page is Windows-1252, the code
// page of the reference machine (Wine under an English locale answers GetACP() 1252), for
// the conversion functions, the window messages, the profile functions and the player
// alike: a byte widens to its Windows-1252 character, and a wide character the code page
// lacks narrows to '?' (the platform also picks look-alike letters for some; we do not).
// Wide text is UTF-16, as on Windows, even where wchar_t is wider: characters past
// U+FFFF come as surrogate pairs. Shared by the platform and its player.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {
namespace codepage {

constexpr char UNMAPPABLE = '?';

std::wstring widenAnsi(std::string_view ansi);
std::wstring widenAnsi(const char* ansi);  // null reads as empty
// `lossy` (may be null) says that some character had no byte and became '?'.
std::string narrowToAnsi(std::wstring_view wide, bool* lossy = nullptr);
std::string narrowToAnsi(const WCHAR* wide, bool* lossy = nullptr);  // null reads as empty
WPARAM widenAnsiChar(WPARAM ansiChar);
WPARAM narrowToAnsiChar(WPARAM wideChar);
// ANSI text to UTF-8 and back, where the profile functions meet a UTF-8 file.
std::string ansiToUtf8(std::string_view ansi);
std::string utf8ToAnsi(std::string_view utf8);

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
