#include "repair/repair_rule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fake/fake_link_store.h"

namespace {

using Lines = std::vector<std::string>;

OwnerWindow const Owner = reinterpret_cast<OwnerWindow>(0x1234);

struct RuleCase {
    const char* name;
    const char* filter;
    const char* target;  // what the store reads from the shortcut
    const char* linkPath;
    bool readComplete;
    bool writeFails;
    Lines expected;  // "read"/"write"/"delete" lines after the read of linkPath
};

void RunCase(const RuleCase& c) {
    SCOPED_TRACE(c.name);
    fake_store::Reset();
    ASSERT_TRUE(StoreFilterText(c.filter));
    fake_store::Serve(c.linkPath, MakeRecord(c.target), c.readComplete);
    fake_store::FailWrites(c.writeFails);
    LinkRecord record = {};
    UpdateShortcut(Owner, c.linkPath, record);

    Lines expected = {std::string("read ") + c.linkPath};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(expected, fake_store::CallLines());
}

TEST(UpdateShortcut, Outcomes) {
    const char* const desktopOld = "C:\\WINDOWS\\Desktop\\Shortcut to dravelin.exe.lnk";
    const RuleCase cases[] = {
        {"named after the old executable: moved, old file removed after the save",
         "c:\\apps",
         "C:\\APPS\\DRAVELIN.EXE",
         desktopOld,
         true,
         false,
         {"write C:\\APPS\\Bolvane.exe -> C:\\WINDOWS\\Desktop\\Shortcut to Bolvane.exe.LNK",
          std::string("delete ") + desktopOld}},
        {"in place when the shortcut's path has no old name",
         "c:\\apps",
         "C:\\APPS\\BOLVANE2.EXE",
         "C:\\WINDOWS\\Desktop\\Editor.lnk",
         true,
         false,
         {"write C:\\APPS\\Bolvane.exe -> C:\\WINDOWS\\Desktop\\Editor.lnk"}},
        {"filter miss leaves it untouched",
         "c:\\apps",
         "D:\\TOOLS\\DRAVELIN.EXE",
         desktopOld,
         true,
         false,
         {}},
        {"no old name in the target, even with one in the file name",
         "c:\\apps",
         "C:\\APPS\\NOTEPAD.EXE",
         desktopOld,
         true,
         false,
         {}},
        {"letter case does not matter",
         "C:\\Apps",
         "c:\\apps\\DrAvElIn.ExE",
         "C:\\WINDOWS\\Desktop\\x.lnk",
         true,
         false,
         {"write c:\\apps\\Bolvane.exe -> C:\\WINDOWS\\Desktop\\x.lnk"}},
        {"BOLVANE2.EXE is searched first, wherever it stands",
         "",
         "C:\\DRAVELIN.EXE\\BOLVANE2.EXE",
         "C:\\WINDOWS\\Desktop\\x.lnk",
         true,
         false,
         {"write C:\\DRAVELIN.EXE\\Bolvane.exe -> C:\\WINDOWS\\Desktop\\x.lnk"}},
        {"only the first occurrence; the tail comes out in capitals",
         "",
         "C:\\dravelin.exe\\dravelin.exe",
         "C:\\WINDOWS\\Desktop\\x.lnk",
         true,
         false,
         {"write C:\\Bolvane.exe\\DRAVELIN.EXE -> C:\\WINDOWS\\Desktop\\x.lnk"}},
        {"target names DRAVELIN, file name BOLVANE2: the file name's own is replaced",
         "",
         "C:\\APPS\\DRAVELIN.EXE",
         "C:\\WINDOWS\\Desktop\\bolvane2.exe.lnk",
         true,
         false,
         {"write C:\\APPS\\Bolvane.exe -> C:\\WINDOWS\\Desktop\\Bolvane.exe.LNK",
          "delete C:\\WINDOWS\\Desktop\\bolvane2.exe.lnk"}},
        {"the whole shortcut path is searched, folder included",
         "",
         "C:\\APPS\\DRAVELIN.EXE",
         "C:\\Dravelin.exe\\Desktop\\a.lnk",
         true,
         false,
         {"write C:\\APPS\\Bolvane.exe -> C:\\Bolvane.exe\\DESKTOP\\A.LNK",
          "delete C:\\Dravelin.exe\\Desktop\\a.lnk"}},
        {"the filter is matched against the short form as read",
         "c:\\program files",
         "C:\\PROGRA~1\\APPS\\DRAVELIN.EXE",
         "C:\\WINDOWS\\Desktop\\x.lnk",
         true,
         false,
         {}},
        {"short-form filter matches the short form",
         "c:\\progra~1",
         "C:\\PROGRA~1\\APPS\\DRAVELIN.EXE",
         "C:\\WINDOWS\\Desktop\\x.lnk",
         true,
         false,
         {"write C:\\PROGRA~1\\APPS\\Bolvane.exe -> C:\\WINDOWS\\Desktop\\x.lnk"}},
        {"an empty filter takes every target",
         "",
         "Z:\\DRAVELIN.EXE",
         "C:\\WINDOWS\\Desktop\\x.lnk",
         true,
         false,
         {"write Z:\\Bolvane.exe -> C:\\WINDOWS\\Desktop\\x.lnk"}},
        {"an incomplete read is never written",
         "c:\\apps",
         "C:\\APPS\\DRAVELIN.EXE",
         desktopOld,
         false,
         false,
         {}},
        {"an unreadable file (empty target) is never written, even with an empty filter",
         "",
         "",
         desktopOld,
         false,
         false,
         {}},
        {"a failed save of a moved shortcut keeps the old file",
         "c:\\apps",
         "C:\\APPS\\DRAVELIN.EXE",
         desktopOld,
         true,
         true,
         {"write C:\\APPS\\Bolvane.exe -> C:\\WINDOWS\\Desktop\\Shortcut to Bolvane.exe.LNK"}},
        {"a failed save in place is not retried",
         "c:\\apps",
         "C:\\APPS\\DRAVELIN.EXE",
         "C:\\WINDOWS\\Desktop\\x.lnk",
         true,
         true,
         {"write C:\\APPS\\Bolvane.exe -> C:\\WINDOWS\\Desktop\\x.lnk"}},
    };
    for (const RuleCase& c : cases) RunCase(c);
}

TEST(UpdateShortcut, CarriesTheRecordToTheWrite) {
    fake_store::Reset();
    ASSERT_TRUE(StoreFilterText("c:\\apps"));
    const LinkRecord served = MakeRecord("C:\\APPS\\DRAVELIN.EXE");
    fake_store::Serve("C:\\D\\x.lnk", served);
    LinkRecord record = MakeRecord("left over from the previous shortcut");
    UpdateShortcut(Owner, "C:\\D\\x.lnk", record);

    const auto& calls = fake_store::Calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(Owner, calls[0].owner);
    const LinkRecord& written = calls[1].record;
    EXPECT_STREQ(served.Description, written.Description);
    EXPECT_STREQ(served.WorkingDirectory, written.WorkingDirectory);
    EXPECT_STREQ(served.Arguments, written.Arguments);
    EXPECT_EQ(served.Hotkey, written.Hotkey);
    EXPECT_EQ(served.ShowCmd, written.ShowCmd);
    EXPECT_EQ("C:\\APPS\\Bolvane.exe", calls[1].targetPath);
}

TEST(StoreFilterText, KeepsTheWholeTailOrNothing) {
    const std::string tails[] = {"", " c:\\apps ", "\"C:\\Program Files\\App\"",
                                 std::string(259, 'a')};
    for (const std::string& tail : tails) {
        SCOPED_TRACE("tail of " + std::to_string(tail.size()) + " bytes");
        EXPECT_TRUE(StoreFilterText(tail.c_str()));
        EXPECT_EQ(tail, FilterText);
    }
    // Too long to keep whole: nothing is kept, so nothing can match more than asked.
    for (std::size_t length : {260u, 32000u}) {
        SCOPED_TRACE("tail of " + std::to_string(length) + " bytes");
        ASSERT_TRUE(StoreFilterText("x"));
        EXPECT_FALSE(StoreFilterText(std::string(length, 'a').c_str()));
        EXPECT_STREQ("", FilterText);
    }
}

}  // namespace
