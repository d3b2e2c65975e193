#include "text_match.h"

#include <cstring>

#include "text_copy.h"

namespace {

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

// Leftmost offset of `key` in `text`, both already folded; -1 when absent. A failed
// candidate moves the start one byte on, so overlapping candidates are all tried.
long FindFolded(const char* text, const char* key) {
    const std::size_t keyLength = std::strlen(key);
    for (std::size_t start = 0;; ++start) {
        if (std::strncmp(text + start, key, keyLength) == 0) return static_cast<long>(start);
        if (text[start] == '\0') return -1;
    }
}

}  // namespace

void UpperAscii(char* text) {
    for (; *text != '\0'; ++text) *text = FoldAscii(*text);
}

bool ContainsNoCase(const char* text, const char* part) {
    char* textCopy = DuplicateText(text);
    char* partCopy = DuplicateText(part);
    bool found = false;
    if (textCopy != nullptr && partCopy != nullptr) {
        UpperAscii(textCopy);
        UpperAscii(partCopy);
        found = FindFolded(textCopy, partCopy) >= 0;
    }
    ReleaseText(textCopy);
    ReleaseText(partCopy);
    return found;
}

bool EndsWithNoCase(const char* text, const char* suffix) {
    const std::size_t textLength = std::strlen(text);
    const std::size_t suffixLength = std::strlen(suffix);
    if (suffixLength > textLength) return false;
    const char* tail = text + (textLength - suffixLength);
    for (std::size_t i = 0; i < suffixLength; ++i) {
        if (FoldAscii(tail[i]) != FoldAscii(suffix[i])) return false;
    }
    return true;
}

bool CopyPathText(const char* source, PathText& out) {
    const std::size_t length = std::strlen(source);
    if (length >= MaxPathBytes) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, source, length + 1);
    return true;
}

bool ReplaceFirstNoCase(const char* source, const char* find, const char* replacement,
                        PathText& out) {
    PathText foldedSource;
    PathText foldedKey;
    if (!CopyPathText(source, foldedSource)) {
        out[0] = '\0';
        return false;
    }
    // A key longer than any text that fits cannot occur in this one.
    const bool keyFits = CopyPathText(find, foldedKey);
    UpperAscii(foldedSource);
    UpperAscii(foldedKey);
    const long at = keyFits ? FindFolded(foldedSource, foldedKey) : -1;
    if (at < 0) {
        CopyPathText(source, out);
        return false;
    }

    const std::size_t prefix = static_cast<std::size_t>(at);
    const std::size_t keyLength = std::strlen(foldedKey);
    const std::size_t replacementLength = std::strlen(replacement);
    const char* tail = foldedSource + prefix + keyLength;
    const std::size_t tailLength = std::strlen(tail);
    if (prefix + replacementLength + tailLength >= MaxPathBytes) {
        out[0] = '\0';
        return false;
    }

    PathText result;
    std::memcpy(result, source, prefix);
    std::memcpy(result + prefix, replacement, replacementLength);
    std::memcpy(result + prefix + replacementLength, tail, tailLength + 1);
    std::memcpy(out, result, prefix + replacementLength + tailLength + 1);
    return true;
}
