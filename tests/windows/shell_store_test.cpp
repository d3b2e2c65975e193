// The link store on real files, through the platform's shell link object.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/shell_link_store.h"
#include "win_test_util.h"

namespace {

using wintest::Exists;
using wintest::ListFolder;
using wintest::ReadBytes;

LinkRecord SampleRecord() {
    LinkRecord record = {};
    CopyPathText("Starts the application", record.Description);
    CopyPathText("C:\\Work dir", record.WorkingDirectory);
    CopyPathText("/open \"a b\"  -x ", record.Arguments);
    CopyPathText("C:\\ICONS\\APP.ICO", record.IconLocation);
    record.IconIndex = 5;
    record.Hotkey = 0x0653;  // Ctrl+Alt+S
    record.ShowCmd = 7;      // minimised, not activated
    return record;
}

// The LinkFlags field of a shortcut file's header, and its icon-location bit.
std::uint32_t LinkFlags(const std::string& bytes) { return wintest::HeaderField(bytes, 0x14, 4); }
constexpr std::uint32_t HasIconLocation = 0x40;

class ShellStore : public ::testing::Test {
protected:
    void SetUp() override { folder = wintest::MakeScratchFolder("store"); }
    void TearDown() override { wintest::RemoveTree(folder); }
    std::string In(const char* name) const { return folder + "\\" + name; }

    wintest::ComScope com;
    std::string folder;
};

TEST_F(ShellStore, WrittenShortcutReadsBackWithEveryCarriedField) {
    const char* const targets[] = {"C:\\APPS\\Bolvane.exe", "C:\\windows\\notepad.exe"};
    for (const char* target : targets) {
        SCOPED_TRACE(target);
        const std::string path = In("written.lnk");
        const LinkRecord written = SampleRecord();
        ASSERT_GE(WriteLink(target, path.c_str(), written), 0);

        LinkRecord read;
        std::memset(&read, 'x', sizeof read);
        ASSERT_TRUE(ReadLink(nullptr, path.c_str(), read));
        EXPECT_STREQ(target, read.Path);  // already short: the short form is the same text
        EXPECT_STREQ(written.Description, read.Description);
        EXPECT_STREQ(written.WorkingDirectory, read.WorkingDirectory);
        EXPECT_STREQ(written.Arguments, read.Arguments);
        EXPECT_EQ(written.Hotkey, read.Hotkey);

        const std::string bytes = ReadBytes(path);
        EXPECT_EQ(written.ShowCmd, wintest::HeaderShowCmd(bytes));
        EXPECT_EQ(written.Hotkey, wintest::HeaderHotkey(bytes));
        // No icon location is carried over to a rewritten shortcut. Checked in the file: the
        // shell reports the target itself as the icon of a shortcut that stores none.
        EXPECT_EQ(0u, LinkFlags(bytes) & HasIconLocation);
        // Wine's Load does not read the stored show command back (it always reports 1), so
        // the header bytes above are the check there.
        if (!wintest::UnderWine()) {
            EXPECT_EQ(written.ShowCmd, read.ShowCmd);
        }

        // The target is stored exactly as given, as an independent reader sees it.
        wintest::Shortcut stored;
        ASSERT_TRUE(wintest::LoadShortcut(path, stored));
        EXPECT_EQ(target, wintest::Narrow(stored.target));
        EXPECT_EQ(std::vector<std::string>{"written.lnk"}, ListFolder(folder));
    }
}

// Rewriting in place replaces the existing file, keeps its attributes, and leaves nothing
// else behind.
TEST_F(ShellStore, WriteReplacesAnExistingShortcut) {
    const std::string path = In("existing.lnk");
    wintest::Shortcut old;
    old.target = L"C:\\APPS\\DRAVELIN.EXE";
    old.iconLocation = L"C:\\APPS\\OLD.ICO";
    ASSERT_TRUE(wintest::MakeShortcut(path, old));
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));

    ASSERT_GE(WriteLink("C:\\APPS\\Bolvane.exe", path.c_str(), SampleRecord()), 0);
    wintest::Shortcut now;
    ASSERT_TRUE(wintest::LoadShortcut(path, now));
    EXPECT_EQ(L"C:\\APPS\\Bolvane.exe", now.target);
    EXPECT_EQ(0u, LinkFlags(ReadBytes(path)) & HasIconLocation);
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(std::vector<std::string>{"existing.lnk"}, ListFolder(folder));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A file named like a shortcut that is not one gives an empty target and description,
// whatever the record held before, and is never reported as completely read.
TEST_F(ShellStore, FilesThatAreNotShortcutsReadEmpty) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"empty", ""},
        {"text", "C:\\APPS\\DRAVELIN.EXE\r\n"},
        {"garbage", std::string("\x4c\0\0\0 and then garbage", 20)},
        {"header only",
         ReadBytes(wintest::BesideThisProgram("fixtures\\lnk-corpus\\ms_shllink_format_example.lnk"))
             .substr(0, 0x4C)},
    };
    for (const char* name : {"not_a_lnk_recycle_bin_dollar_I.lnk", "bad_controlpanel_idlist.lnk"}) {
        bool ok = false;
        const std::string bytes =
            ReadBytes(wintest::BesideThisProgram(
                          ("fixtures\\lnk-corpus\\malformed\\" + std::string(name)).c_str()),
                      &ok);
        ASSERT_TRUE(ok) << name;
        cases.push_back({name, bytes});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = In("bad.lnk");
        ASSERT_TRUE(wintest::WriteBytes(path, c.bytes));
        LinkRecord record = SampleRecord();
        CopyPathText("C:\\APPS\\DRAVELIN.EXE", record.Path);
        ReadLink(nullptr, path.c_str(), record);
        EXPECT_STREQ("", record.Path);
        EXPECT_STREQ("", record.Description);
        EXPECT_EQ(c.bytes, ReadBytes(path));  // reading never writes
    }
}

// A shortcut whose last extra-data block runs past the end of the file: its header, ID list
// and link info are whole. Wine's reader takes the target from them; a stricter reader may
// reject the file. Either way the file is left as it is, and no other target is invented.
TEST_F(ShellStore, TruncatedExtraDataReadsTheStoredTargetOrNothing) {
    const std::string bytes = ReadBytes(wintest::BesideThisProgram(
        "fixtures\\lnk-corpus\\malformed\\extra_data_block_overruns_eof.lnk"));
    ASSERT_FALSE(bytes.empty());
    const std::string path = In("overrun.lnk");
    ASSERT_TRUE(wintest::WriteBytes(path, bytes));
    LinkRecord record = SampleRecord();
    CopyPathText("C:\\APPS\\DRAVELIN.EXE", record.Path);
    ReadLink(nullptr, path.c_str(), record);
    const std::string target = record.Path;
    EXPECT_TRUE(target.empty() || target == "C:\\Users\\Jonathan\\AppData\\Roaming\\.minecraft")
        << target;
    EXPECT_EQ(bytes, ReadBytes(path));
}

// A save that cannot complete leaves the destination as it was and no stray file.
TEST_F(ShellStore, FailedSaveLeavesDestinationAndNoStrayFile) {
    const std::string blocked = In("blocked.lnk");
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    EXPECT_LT(WriteLink("C:\\APPS\\Bolvane.exe", blocked.c_str(), SampleRecord()), 0);
    EXPECT_TRUE(GetFileAttributesA(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(std::vector<std::string>{"blocked.lnk"}, ListFolder(folder));
}

// In a folder where nothing can be created, an in-place rewrite fails and the shortcut stays
// byte for byte. The folder is made immutable on the host, which only root can do.
TEST_F(ShellStore, FailedSaveInReadOnlyFolderKeepsTheShortcut) {
    const std::string locked = folder + "\\locked";
    const std::string path = locked + "\\app.lnk";
    ASSERT_TRUE(CreateDirectoryA(locked.c_str(), nullptr));
    wintest::Shortcut old;
    old.target = L"C:\\APPS\\DRAVELIN.EXE";
    ASSERT_TRUE(wintest::MakeShortcut(path, old));
    const std::string before = ReadBytes(path);
    const std::string hostFolder = wintest::HostPath(locked);
    if (hostFolder.empty() || !wintest::RunHostCommand({"/usr/bin/chattr", "+i", hostFolder})) {
        GTEST_SKIP() << "cannot make a folder read-only here";
    }
    const bool locking = !wintest::WriteBytes(locked + "\\probe.tmp", "x");
    LinkResult result = 0;
    if (locking) result = WriteLink("C:\\APPS\\Bolvane.exe", path.c_str(), SampleRecord());
    wintest::RunHostCommand({"/usr/bin/chattr", "-i", hostFolder});
    if (!locking) GTEST_SKIP() << "chattr +i did not lock the folder (not root, or no support)";

    EXPECT_LT(result, 0);
    EXPECT_EQ(before, ReadBytes(path));
    EXPECT_EQ(std::vector<std::string>{"app.lnk"}, ListFolder(locked));
}

}  // namespace

namespace {

// Texts the ANSI code page cannot carry would come back with "?" in their place, and a
// rewrite would store the "?": such a shortcut is reported as not completely read.
TEST_F(ShellStore, TextsOutsideTheAnsiCodePageAreNotReadAsComplete) {
    struct Case {
        const char* name;
        std::wstring wintest::Shortcut::*field;
        std::wstring text;
        bool complete;
    };
    const Case cases[] = {
        {"plain target", &wintest::Shortcut::target, L"C:\\APPS\\DRAVELIN.EXE", true},
        {"Chinese in the description", &wintest::Shortcut::description, L"\x8bf4\x660e", false},
        {"Greek in the working directory", &wintest::Shortcut::workingDirectory, L"C:\\\x03a9",
         false},
        {"a look-alike in the arguments", &wintest::Shortcut::arguments, L"\x2212x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wintest::Shortcut shortcut;
        shortcut.target = L"C:\\APPS\\DRAVELIN.EXE";
        shortcut.*c.field = c.text;
        const std::string path = In("wide.lnk");
        ASSERT_TRUE(wintest::MakeShortcut(path, shortcut));
        LinkRecord record = {};
        EXPECT_EQ(c.complete, ReadLink(nullptr, path.c_str(), record));
    }
    // Wine's writer stores a target through the ANSI code page itself, so a target outside
    // it comes from a shortcut made by Windows: a network path with a non-Latin server name.
    const std::string path = In("unicode_target.lnk");
    ASSERT_TRUE(
        wintest::WriteBytes(path, ReadBytes(wintest::BesideThisProgram(
                                      "fixtures\\lnk-corpus\\unc_unicode_server_name.lnk"))));
    LinkRecord record = {};
    EXPECT_FALSE(ReadLink(nullptr, path.c_str(), record)) << record.Path;
}

// A text in the ANSI code page outside ASCII reads back whole and complete.
TEST_F(ShellStore, AnsiTextsOutsideAsciiReadComplete) {
    const std::string description = "Caf\xe9 cr\xe8me";  // code page 1252
    if (GetACP() != 1252) GTEST_SKIP() << "the sample text is in code page 1252";
    wintest::Shortcut shortcut;
    shortcut.target = L"C:\\APPS\\DRAVELIN.EXE";
    shortcut.description = wintest::Widen(description);
    const std::string path = In("accents.lnk");
    ASSERT_TRUE(wintest::MakeShortcut(path, shortcut));
    LinkRecord record = {};
    EXPECT_TRUE(ReadLink(nullptr, path.c_str(), record));
    EXPECT_EQ(description, record.Description);
}

// A run stopped in the middle of a save leaves a temporary file; the next run removes
// exactly those, nothing of the user's.
TEST_F(ShellStore, LeftoverSavesAreRemovedAndNothingElse) {
    for (const char* name : {"~quorvel-1f-2.tmp", "~quorvel-x.tmp", "quorvel-1-2.tmp",
                             "~quorvel-1-2.tmp.lnk", "app.lnk", "notes.tmp"}) {
        ASSERT_TRUE(wintest::WriteBytes(In(name), "x")) << name;
    }
    ASSERT_TRUE(CreateDirectoryA(In("~quorvel-dir.tmp").c_str(), nullptr));
    RemoveLeftoverSaves(folder.c_str());
    const std::vector<std::string> kept = {"app.lnk", "notes.tmp", "quorvel-1-2.tmp",
                                           "~quorvel-1-2.tmp.lnk", "~quorvel-dir.tmp"};
    EXPECT_EQ(kept, ListFolder(folder));
}

}  // namespace
