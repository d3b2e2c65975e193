#include "repair/text_match.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(UpperAscii, RaisesOnlyAsciiSmallLetters) {
    char text[] = "az AZ @[`{ 09 \xe9\xc9\xff~ c:\\apps\\x.exe";
    UpperAscii(text);
    EXPECT_STREQ("AZ AZ @[`{ 09 \xe9\xc9\xff~ C:\\APPS\\X.EXE", text);
}

TEST(ContainsNoCase, Table) {
    struct Case {
        const char* text;
        const char* part;
        bool expected;
    };
    const Case cases[] = {
        {"C:\\APPS\\BOLVANE2.EXE", "c:\\apps", true},
        {"c:\\apps\\bolvane2.exe", "C:\\APPS", true},
        {"C:\\APPS\\BOLVANE2.EXE", "c:\\apps\\bolvane2.exe", true},
        {"C:\\APPS\\BOLVANE2.EXE", "c:\\apps\\bolvane2.exe ", false},
        {"C:\\APPS", "c:\\apps\\", false},
        {"anything", "", true},
        {"", "", true},
        {"", "a", false},
        // Bytes from 0x80 up match only themselves: no accented letter is folded.
        {"CAF\xc9", "caf\xe9", false},
        {"caf\xe9", "CAF\xe9", true},
        {"\x80\xff", "\xff", true},
        // Punctuation beside the letter ranges is not a letter.
        {"@[", "`{", false},
        {"A`", "a@", false},
        // Overlapping candidates: a failed start moves on by one byte only.
        {"aaab", "AAB", true},
        {"abababac", "ABAC", true},
        {"abab", "ABABA", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text=\"") + c.text + "\" part=\"" + c.part + "\"");
        EXPECT_EQ(c.expected, ContainsNoCase(c.text, c.part));
    }
}

TEST(ReplaceFirstNoCase, Table) {
    struct Case {
        const char* source;
        const char* find;
        const char* replacement;
        bool expected;
        const char* out;
    };
    const Case cases[] = {
        {"c:\\apps\\dravelin.exe", "DRAVELIN.EXE", "Bolvane.exe", true, "c:\\apps\\Bolvane.exe"},
        // The prefix keeps its case, the tail after the match comes out in capitals.
        {"Shortcut to dravelin.exe.lnk", "DRAVELIN.EXE", "Bolvane.exe", true,
         "Shortcut to Bolvane.exe.LNK"},
        // Only the first occurrence is replaced; the second survives in the capital tail.
        {"a\\dravelin.exe\\dravelin.exe", "DRAVELIN.EXE", "Bolvane.exe", true,
         "a\\Bolvane.exe\\DRAVELIN.EXE"},
        // No occurrence: the source comes back byte for byte, in its own case.
        {"c:\\Apps\\Other.exe", "DRAVELIN.EXE", "Bolvane.exe", false, "c:\\Apps\\Other.exe"},
        {"", "DRAVELIN.EXE", "Bolvane.exe", false, ""},
        // An empty key occurs at the very start.
        {"abc", "", "X", true, "XABC"},
        {"", "", "X", true, "X"},
        // The replacement goes in exactly as passed.
        {"xKEYy", "key", "MiXeD", true, "xMiXeDY"},
        // Overlapping candidates and bytes above 0x7F.
        {"aaab", "AAB", "-", true, "a-"},
        {"\xe9t\xe9 dravelin.exe", "dravelin.exe", "B", true, "\xe9t\xe9 B"},
        {"CAF\xc9", "caf\xe9", "x", false, "CAF\xc9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("source=\"") + c.source + "\" find=\"" + c.find + "\"");
        PathText out;
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(c.expected, ReplaceFirstNoCase(c.source, c.find, c.replacement, out));
        EXPECT_STREQ(c.out, out);
    }
}

TEST(EndsWithNoCase, Table) {
    struct Case {
        const char* text;
        const char* suffix;
        bool expected;
    };
    const Case cases[] = {
        {"a.lnk", ".lnk", true},   {"A.LNK", ".lnk", true},
        {".lnk", ".LNK", true},    {"a.lnkold", ".lnk", false},
        {"X~1.LNK", ".lnk", true}, {"lnk", ".lnk", false},
        {"", ".lnk", false},       {"a.l\nk", ".lnk", false},
        {"a.lnk ", ".lnk", false}, {"caf\xc9.lnk", "\xe9.lnk", false},
        {"anything", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.suffix);
        EXPECT_EQ(c.expected, EndsWithNoCase(c.text, c.suffix));
    }
}

// Texts at and past the 260-byte limit are never cut short or written past the buffer.
TEST(ReplaceFirstNoCase, LengthLimits) {
    struct Case {
        std::size_t sourceLength;
        const char* replacement;
        bool expected;
        std::size_t outLength;
    };
    const Case cases[] = {
        {259, "k", true, 259},   // same length: fits
        {259, "", true, 258},    // shorter: fits
        {258, "kk", true, 259},  // grows to exactly the limit
        {259, "kk", false, 0},   // would grow past it
        {260, "k", false, 0},    // source does not fit at all
        {1000, "k", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("source length " + std::to_string(c.sourceLength) + ", replacement \"" +
                     c.replacement + "\"");
        const std::string source = "K" + std::string(c.sourceLength - 1, 'x');
        PathText out;
        EXPECT_EQ(c.expected, ReplaceFirstNoCase(source.c_str(), "k", c.replacement, out));
        EXPECT_EQ(c.outLength, std::strlen(out));
    }
    // A key longer than any text that fits cannot occur: the source comes back unchanged.
    PathText out;
    EXPECT_FALSE(ReplaceFirstNoCase("short", std::string(300, 's').c_str(), "x", out));
    EXPECT_STREQ("short", out);
}

}  // namespace
