// ContainsNoCase linked with an allocator that fails on demand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "repair/text_copy.h"
#include "repair/text_match.h"

namespace {
int allocationsBeforeFailure = -1;  // -1: never fail
}

char* DuplicateText(const char* text) {
    if (allocationsBeforeFailure == 0) return nullptr;
    if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    std::memcpy(copy, text, size);
    return copy;
}

void ReleaseText(char* copy) { std::free(copy); }

namespace {

// A copy that cannot be made means "no match", whichever copy it is, and the copy that
// was made is still freed (the leak checker of the sanitizer build sees to that).
TEST(ContainsNoCase, CopyFailureMeansNoMatch) {
    for (int succeeding = 0; succeeding < 2; ++succeeding) {
        SCOPED_TRACE("copies made before the failure: " + std::to_string(succeeding));
        allocationsBeforeFailure = succeeding;
        EXPECT_FALSE(ContainsNoCase("C:\\APPS\\DRAVELIN.EXE", "c:\\apps"));
        allocationsBeforeFailure = succeeding;
        EXPECT_FALSE(ContainsNoCase("C:\\APPS\\DRAVELIN.EXE", ""));
    }
    allocationsBeforeFailure = -1;
    EXPECT_TRUE(ContainsNoCase("C:\\APPS\\DRAVELIN.EXE", "c:\\apps"));
}

}  // namespace
