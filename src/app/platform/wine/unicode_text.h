#pragma once
// UTF-8 / UTF-16 conversion and the case-insensitive comparison Windows applies to file and
// registry names. Internal to the platform layer.

#include <string>
#include <string_view>

namespace wine {

// True when `text` is well-formed UTF-8 (no overlongs, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Appends the UTF-8 form of the code point (U+FFFD for an invalid one).
void AppendUtf8(std::string& out, char32_t codePoint);

// Converts UTF-16 code units to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);

// Appends the code units of UTF-8 text; invalid sequences are dropped.
void AppendUtf8AsUtf16(std::u16string& out, std::string_view text);

// Simple case folding of one code point (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
char32_t FoldCase(char32_t codePoint);

// Case-insensitive equality of two UTF-8 names; bytes that are not valid UTF-8 compare as they
// are.
bool EqualsIgnoringCase(std::string_view left, std::string_view right);

// Decodes the code point at `text[index]`, advancing `index`; an invalid byte decodes as itself
// plus 0x110000 so that it never equals a real character.
char32_t DecodeUtf8(std::string_view text, std::size_t& index);

}  // namespace wine
