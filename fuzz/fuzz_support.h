#pragma once
// What the fuzz targets share: cutting an input into texts, heap copies that the address
// sanitizer guards byte for byte, and a check that stops the run with enough context to
// read the failure without a debugger.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// The input as `count` texts cut at NUL bytes, so that a text can hold every other byte.
// Missing texts are empty; bytes after the last wanted text are ignored.
inline std::vector<std::string> SplitTexts(const std::uint8_t* data, std::size_t size,
                                           std::size_t count) {
    std::vector<std::string> texts(count);
    std::size_t index = 0;
    for (std::size_t i = 0; i < size && index < count; ++i) {
        if (data[i] == 0) {
            ++index;
        } else {
            texts[index].push_back(static_cast<char>(data[i]));
        }
    }
    return texts;
}

// `text` in a heap block exactly as long as it plus its terminator. A std::string keeps
// slack after its terminator, where a read or write one byte too far would go unnoticed;
// here it is an address-sanitizer error.
inline std::unique_ptr<char[]> HeapCopy(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

// True when `copy` still holds `text` and its terminator, byte for byte.
inline bool StillHolds(const std::unique_ptr<char[]>& copy, const std::string& text) {
    return std::memcmp(copy.get(), text.c_str(), text.size() + 1) == 0;
}

// `text` for failure reports: bytes outside printable ASCII as \xNN, and the quote and
// backslash escaped so that paths stay readable.
inline std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            escaped.push_back('\\');
            escaped.push_back(c);
        } else if (byte >= 0x20 && byte < 0x7f) {
            escaped.push_back(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            escaped += hex;
        }
    }
    return escaped;
}

// `text` quoted and escaped, with its length.
inline std::string Shown(const std::string& text) {
    return "\"" + Escaped(text) + "\" (" + std::to_string(text.size()) + " bytes)";
}

// Stops the run when `holds` is false; libFuzzer then keeps the input as a finding.
// `context` is called only then, to say what the input was and what came out.
template <typename Context>
void Require(bool holds, const char* what, const Context& context) {
    if (holds) return;
    std::fprintf(stderr, "\nfuzz check failed: %s\n%s\n", what, context().c_str());
    std::abort();
}
