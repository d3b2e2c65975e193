#pragma once
// Case-insensitive search and substitution over NUL-terminated ANSI byte strings.
// Case folding is plain ASCII (a-z only), never the locale's, so the result does not
// depend on the machine's code page.

#include <cstddef>

// Every path and shortcut property the program handles fits this many bytes,
// terminator included (the platform's MAX_PATH).
constexpr std::size_t MaxPathBytes = 260;
using PathText = char[MaxPathBytes];

// Raises a-z to A-Z in place; every other byte, 0x80 and up included, stays.
void UpperAscii(char* text);

// True when `part` occurs in `text`, letter case aside. An empty part occurs in every
// text. When the working copies cannot be made the answer is false: a shortcut is never
// repaired on a guess.
bool ContainsNoCase(const char* text, const char* part);

// Replaces the first occurrence of `find` in `source` (letter case aside) by `replacement`.
// The text before the match keeps its case, the text after it comes out in capitals.
// Returns true with the result in `out`; false when there is no occurrence, with `source`
// copied unchanged into `out`. A source or result that would not fit `out` also gives
// false, with `out` empty.
bool ReplaceFirstNoCase(const char* source, const char* find, const char* replacement,
                        PathText& out);

// True when `text` ends with `suffix`, letter case aside.
bool EndsWithNoCase(const char* text, const char* suffix);

// Copies `source` into `out` when it fits; otherwise leaves `out` empty and returns false.
bool CopyPathText(const char* source, PathText& out);
