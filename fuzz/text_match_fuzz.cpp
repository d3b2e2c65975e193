// Holds UpperAscii, ContainsNoCase and ReplaceFirstNoCase against the plain model in
// reference_text.h. The input is three texts separated by NUL bytes: the source (or text
// searched), the key (or part), and the replacement.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/reference_text.h"
#include "repair/text_match.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> texts = SplitTexts(data, size, 3);
    const std::string& source = texts[0];
    const std::string& find = texts[1];
    const std::string& replacement = texts[2];
    const auto inputs = [&] {
        return "source " + Shown(source) + "\nfind " + Shown(find) + "\nreplacement " +
               Shown(replacement);
    };

    const std::unique_ptr<char[]> upper = HeapCopy(source);
    UpperAscii(upper.get());
    const std::string expectedUpper = reference::Upper(source);
    Require(StillHolds(upper, expectedUpper), "UpperAscii raises a-z and nothing else", [&] {
        return inputs() + "\nexpected " + Shown(expectedUpper) + "\ngot " +
               Shown(std::string(upper.get(), source.size()));
    });

    const std::unique_ptr<char[]> sourceCopy = HeapCopy(source);
    const std::unique_ptr<char[]> findCopy = HeapCopy(find);
    const std::unique_ptr<char[]> replacementCopy = HeapCopy(replacement);

    const bool contains = ContainsNoCase(sourceCopy.get(), findCopy.get());
    Require(contains == reference::Contains(source, find), "ContainsNoCase agrees with the model",
            [&] { return inputs() + "\ngot " + (contains ? "true" : "false"); });

    // Exactly the caller's 260 bytes, filled with a non-NUL byte so that a result left
    // without its terminator runs off the end of the block when it is read back.
    const std::unique_ptr<PathText[]> outBlock(new PathText[1]);
    PathText& out = outBlock[0];
    std::memset(out, '#', sizeof out);
    const bool replaced =
        ReplaceFirstNoCase(sourceCopy.get(), findCopy.get(), replacementCopy.get(), out);
    const std::string result = out;
    const reference::Replaced expected = reference::ReplaceFirst(source, find, replacement);
    Require(replaced == expected.found && result == expected.out,
            "ReplaceFirstNoCase agrees with the model", [&] {
                return inputs() + "\nexpected " + (expected.found ? "true " : "false ") +
                       Shown(expected.out) + "\ngot " + (replaced ? "true " : "false ") +
                       Shown(result);
            });

    Require(StillHolds(sourceCopy, source) && StillHolds(findCopy, find) &&
                StillHolds(replacementCopy, replacement),
            "the inputs are left as they were", inputs);
    return 0;
}
