#pragma once
// Heap copies of texts for ContainsNoCase. Kept in a translation unit of their own so that
// tests can link an allocator that fails.

// A copy of `text` exactly as long as it, terminator included; null when none can be made.
char* DuplicateText(const char* text);
void ReleaseText(char* copy);
