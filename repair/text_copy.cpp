#include "text_copy.h"

#include <cstdlib>
#include <cstring>

char* DuplicateText(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

void ReleaseText(char* copy) { std::free(copy); }
