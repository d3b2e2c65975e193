#pragma once
// A deliberately plain model of the case-insensitive text operations, written from what
// text_match.h promises, with std::string and sharing nothing with the code under test.
// The fuzz targets hold the real operations against it.

#include <cstddef>
#include <string>

namespace reference {

// The longest text a 260-byte path buffer holds beside its terminator.
constexpr std::size_t LongestFittingText = 259;

// a-z raised to A-Z by table, so that no sign, locale or range arithmetic is involved.
inline std::string Upper(std::string text) {
    const std::string small = "abcdefghijklmnopqrstuvwxyz";
    const std::string capital = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (char& c : text) {
        const std::size_t at = small.find(c);
        if (at != std::string::npos) c = capital[at];
    }
    return text;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return Upper(text).find(Upper(part)) != std::string::npos;
}

struct Replaced {
    bool found;
    std::string out;
};

// Leftmost match; the prefix as it was, the replacement as passed, the rest in capitals.
// A source or a result too long for a path buffer gives false and an empty text.
inline Replaced ReplaceFirst(const std::string& source, const std::string& find,
                             const std::string& replacement) {
    if (source.size() > LongestFittingText) return {false, ""};
    const std::size_t at = Upper(source).find(Upper(find));
    if (at == std::string::npos) return {false, source};
    const std::string result =
        source.substr(0, at) + replacement + Upper(source.substr(at + find.size()));
    if (result.size() > LongestFittingText) return {false, ""};
    return {true, result};
}

}  // namespace reference
