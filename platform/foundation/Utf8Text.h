#pragma once
// UTF-8 as property lists and the front ends need it: checking it, repairing text
// that is not UTF-8 the way Unicode decoders show it (each maximal ill-formed
// subsequence becomes U+FFFD), and encoding code points, lone UTF-16 surrogates
// included, so that a string read from a file keeps what it held.

#include <cstddef>
#include <string>
#include <string_view>

namespace kavro::platform::foundation {

bool isValidUtf8(std::string_view text);

// `text` with every ill-formed sequence replaced by U+FFFD; `replacements` counts
// them.
std::string repairedUtf8(std::string_view text, std::size_t* replacements = nullptr);

// `text` itself when it is UTF-8, else its repaired form kept in `storage`: text
// that needs no repair is not copied.
std::string_view validUtf8View(std::string_view text, std::string& storage);

// Appends the UTF-8 form of `codePoint` (up to U+10FFFF). A lone surrogate
// (U+D800...U+DFFF) is written in the same three-byte form, which is not valid
// UTF-8: such text reads back as ill-formed, as the UTF-16 it came from was.
void appendUtf8(std::string& text, char32_t codePoint);

// UTF-16 bytes (no byte-order mark) as UTF-8: a surrogate pair makes one character,
// a lone surrogate keeps its three-byte form (see appendUtf8). A last odd byte has
// no unit to belong to; `oddByte` says whether there was one.
std::string utf8FromUtf16(std::string_view bytes, bool bigEndian, bool* oddByte = nullptr);

}  // namespace kavro::platform::foundation
