#pragma once
// The NSString operations the bundle relies on, on UTF-8 text: the default
// comparison (by Unicode value, case-sensitive, locale-independent, canonically
// equivalent forms equal), the locale-independent lower-case mapping and the
// substring test, built on ICU.

#include <string>

// Negative, zero or positive as `a` sorts before, equal to or after `b`
// (NSString's compare: without options, as a sort descriptor uses it).
int NSStringCompare(const std::string& a, const std::string& b);
// The locale-independent lower-case mapping (lowercaseString).
std::string NSStringLowercase(const std::string& text);
// Whether `text` contains `needle` as a contiguous substring, canonically
// equivalent forms matching (containsString:). An empty needle is never contained.
bool NSStringContains(const std::string& text, const std::string& needle);
// The canonical decomposition (NFD) of the text, as UTF-8.
std::string NSStringDecomposed(const std::string& text);

// Precomputed keys, for sorting and searching many strings: comparing two sort keys
// orders as NSStringCompare does; a search key contains another exactly when the
// lower-cased texts contain each other as NSStringContains tests.
std::u16string NSStringSortKey(const std::string& text);
std::u16string NSStringSearchKey(const std::string& text);
