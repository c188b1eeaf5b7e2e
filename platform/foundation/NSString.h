#pragma once
// The NSString operations the bundle relies on, on UTF-8 text: the default
// comparison (by Unicode value, case-sensitive, locale-independent, canonically
// equivalent forms equal), the locale-independent lower-case mapping and the
// substring test, built on ICU.

#include <string>
#include <vector>

// Negative, zero or positive as `a` sorts before, equal to or after `b`
// (NSString's compare: without options, as a sort descriptor uses it).
int NSStringCompare(const std::string& a, const std::string& b);
// The locale-independent lower-case mapping (lowercaseString).
std::string NSStringLowercase(const std::string& text);
// Whether `text` contains `needle` as a contiguous run of whole composed characters
// (containsString:): canonically equivalent forms match, and a match never begins or
// ends inside a character written with several code points (a letter and its
// accents, a Hangul syllable, an emoji sequence), so "cafe" is not found in "café".
// Letter case and accents count. An empty needle is never contained.
bool NSStringContains(const std::string& text, const std::string& needle);
// The canonical decomposition (NFD) of the text, as UTF-8.
std::string NSStringDecomposed(const std::string& text);

// A sort key: comparing two orders them as NSStringCompare does.
std::u16string NSStringSortKey(const std::string& text);

// A text prepared once for many containment tests, as a list searched at every
// keystroke needs: its canonical decomposition and, for every position in it,
// whether a composed character begins there (the end counts as one).
struct NSStringSearchText {
  std::u16string characters;
  std::vector<bool> boundaries;
};
NSStringSearchText NSStringPrepareSearchText(const std::string& text);
// NSStringContains over a prepared text; `needle` is NSStringSortKey of the
// text searched for (its decomposition: where its characters begin is not needed).
bool NSStringSearchTextContains(const NSStringSearchText& text, const std::u16string& needle);
