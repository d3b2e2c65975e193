// The program under faults and bad input: whatever happens, no shortcut is lost, cut short
// or left half-written, and no stray file appears.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "win_test_util.h"

namespace {

using wintest::Exists;
using wintest::ListFolder;
using wintest::ReadBytes;

std::wstring TargetOf(const std::string& path) {
    wintest::Shortcut shortcut;
    return wintest::LoadShortcut(path, shortcut) ? shortcut.target : L"(unreadable)";
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        wintest::EmptyFolder(desktop);
        wintest::EmptyFolder(startMenu);
    }
    void TearDown() override {
        wintest::EmptyFolder(desktop);
        wintest::EmptyFolder(startMenu);
    }

    std::string Make(const char* name, const wchar_t* target) {
        const std::string path = desktop + "\\" + name;
        wintest::Shortcut shortcut;
        shortcut.target = target;
        shortcut.arguments = L"-x";
        EXPECT_TRUE(wintest::MakeShortcut(path, shortcut)) << path;
        return path;
    }

    wintest::ComScope com;
    const std::string desktop = wintest::WindowsFolder("Desktop");
    const std::string startMenu = wintest::WindowsFolder("Start Menu");
};

// A folder standing at the new path: the move cannot be saved, so the old shortcut stays
// byte for byte and nothing else appears.
TEST_F(Faults, NewPathTakenByAFolder) {
    const std::string old = Make("Shortcut to dravelin.exe.lnk", L"C:\\APPS\\DRAVELIN.EXE");
    const std::string blocker = desktop + "\\Shortcut to Bolvane.exe.LNK";
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    const std::string before = ReadBytes(old);
    const std::vector<std::string> listing = ListFolder(desktop);

    ASSERT_EQ(0, wintest::RunQuorvel(""));
    EXPECT_EQ(before, ReadBytes(old));
    EXPECT_TRUE(GetFileAttributesA(blocker.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(ListFolder(blocker).empty());
    EXPECT_EQ(listing, ListFolder(desktop));
}

// A folder in which nothing can be created or removed: every shortcut stays as it was.
TEST_F(Faults, ReadOnlyFolder) {
    const std::string moved = Make("dravelin.exe.lnk", L"C:\\APPS\\DRAVELIN.EXE");
    const std::string inPlace = Make("Editor.lnk", L"C:\\APPS\\BOLVANE2.EXE");
    const std::map<std::string, std::string> before = {{moved, ReadBytes(moved)},
                                                       {inPlace, ReadBytes(inPlace)}};
    const std::string host = wintest::HostPath(desktop);
    if (host.empty() || !wintest::RunHostCommand({"/usr/bin/chattr", "+i", host})) {
        GTEST_SKIP() << "cannot make a folder read-only here";
    }
    const bool locked = !wintest::WriteBytes(desktop + "\\probe.tmp", "x");
    long exitCode = -1;
    if (locked) exitCode = wintest::RunQuorvel("");
    wintest::RunHostCommand({"/usr/bin/chattr", "-i", host});
    if (!locked) GTEST_SKIP() << "chattr +i did not lock the folder (not root, or no support)";

    EXPECT_EQ(0, exitCode);
    for (const auto& [path, bytes] : before) EXPECT_EQ(bytes, ReadBytes(path)) << path;
    EXPECT_EQ((std::vector<std::string>{"Editor.lnk", "dravelin.exe.lnk"}), ListFolder(desktop));
}

// The old file of a moved shortcut cannot be removed (read-only): the new one is saved
// all the same, and both exist.
TEST_F(Faults, OldFileCannotBeRemoved) {
    const std::string old = Make("dravelin.exe.lnk", L"C:\\APPS\\DRAVELIN.EXE");
    ASSERT_TRUE(SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string before = ReadBytes(old);

    ASSERT_EQ(0, wintest::RunQuorvel(""));
    SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(before, ReadBytes(old));
    EXPECT_EQ(L"C:\\APPS\\Bolvane.exe", TargetOf(desktop + "\\Bolvane.exe.LNK"));
    EXPECT_EQ((std::vector<std::string>{"Bolvane.exe.LNK", "dravelin.exe.lnk"}),
              ListFolder(desktop));
}

// A shortcut another process holds open without sharing is left as it was; the run goes
// on with the others.
TEST_F(Faults, ShortcutHeldOpenByAnotherProcess) {
    const std::string held = Make("held.lnk", L"C:\\APPS\\DRAVELIN.EXE");
    const std::string other = Make("other.lnk", L"C:\\APPS\\DRAVELIN.EXE");
    const std::string before = ReadBytes(held);
    HANDLE lock = CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    const long exitCode = wintest::RunQuorvel("");
    CloseHandle(lock);

    EXPECT_EQ(0, exitCode);
    EXPECT_EQ(before, ReadBytes(held));
    EXPECT_EQ(L"C:\\APPS\\Bolvane.exe", TargetOf(other));
    EXPECT_EQ((std::vector<std::string>{"held.lnk", "other.lnk"}), ListFolder(desktop));
}

}  // namespace

namespace {

// Files named like shortcuts that are not whole shortcuts: none is written, the run goes on
// and ends with 0. A whole shortcut placed among them shows that the run did go on.
TEST_F(Faults, FilesThatAreNotWholeShortcutsAreNeverWritten) {
    std::map<std::string, std::string> files;
    files["empty.lnk"] = "";
    files["garbage.lnk"] = "this is not a shortcut at all";
    std::string big(10 * 1024 * 1024, '\0');
    unsigned seed = 12345;
    for (char& c : big) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    files["ten megabytes.lnk"] = big;
    for (const char* name : {"not_a_lnk_recycle_bin_dollar_I.lnk", "bad_controlpanel_idlist.lnk",
                             "extra_data_block_overruns_eof.lnk"}) {
        files[name] = ReadBytes(wintest::BesideThisProgram(
            ("fixtures\\lnk-corpus\\malformed\\" + std::string(name)).c_str()));
    }
    // A shortcut to an old executable, cut short at several offsets.
    const std::string whole = ReadBytes(Make("whole.lnk", L"C:\\APPS\\DRAVELIN.EXE"));
    DeleteFileA((desktop + "\\whole.lnk").c_str());
    ASSERT_GT(whole.size(), 0x60u);
    for (std::size_t cut : {std::size_t{0x20}, std::size_t{0x4C}, std::size_t{0x4E},
                            whole.size() / 2, whole.size() - 8}) {
        files["cut at " + std::to_string(cut) + ".lnk"] = whole.substr(0, cut);
    }
    // Cut inside the four-byte end marker only, every property is still there: a reader may
    // take it as whole (Wine's does), and then the shortcut is repaired with all of them.
    const std::string endCut = desktop + "\\end marker cut.lnk";
    ASSERT_TRUE(wintest::WriteBytes(endCut, whole.substr(0, whole.size() - 1)));
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(wintest::WriteBytes(desktop + "\\" + name, bytes)) << name;
    }
    const std::string sound = Make("sound.lnk", L"C:\\APPS\\DRAVELIN.EXE");

    ASSERT_EQ(0, wintest::RunQuorvel(""));
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(bytes, ReadBytes(desktop + "\\" + name)) << name << " was written";
    }
    EXPECT_EQ(L"C:\\APPS\\Bolvane.exe", TargetOf(sound));
    EXPECT_EQ(files.size() + 2, ListFolder(desktop).size());
    if (ReadBytes(endCut) != whole.substr(0, whole.size() - 1)) {
        wintest::Shortcut repaired;
        ASSERT_TRUE(wintest::LoadShortcut(endCut, repaired));
        EXPECT_EQ(L"C:\\APPS\\Bolvane.exe", repaired.target);
        EXPECT_EQ(L"-x", repaired.arguments);
    }
}

}  // namespace

namespace {

// Shortcut names outside ASCII, in capitals, and at and past the path-length limit.
TEST_F(Faults, NamesAndPathLengths) {
    struct Case {
        std::string name;
        const wchar_t* target;
        std::string nameAfter;  // empty: left byte for byte
    };
    const std::size_t room = MAX_PATH - 1 - desktop.size() - 1;  // for a name, 259-byte path
    const std::string fits = std::string(room - 4, 'p') + ".lnk";
    const std::string oneOver = std::string(room - 3, 'q') + ".lnk";
    const std::string longest = std::string(251, 'r') + ".lnk";  // the longest file name
    const std::vector<Case> cases = {
        {"Caf\xe9 dravelin.exe.lnk", L"C:\\APPS\\DRAVELIN.EXE", "Caf\xe9 Bolvane.exe.LNK"},
        {"Shortcut to dravelin.exe (\xe9t\xe9).lnk", L"C:\\APPS\\DRAVELIN.EXE",
         "Shortcut to Bolvane.exe (\xe9T\xe9).LNK"},
        {"CAPITALS.LNK", L"C:\\APPS\\BOLVANE2.EXE", "CAPITALS.LNK"},
        {fits, L"C:\\APPS\\DRAVELIN.EXE", fits},
        {oneOver, L"C:\\APPS\\DRAVELIN.EXE", ""},
        {longest, L"C:\\APPS\\DRAVELIN.EXE", ""},
    };
    if (GetACP() != 1252) GTEST_SKIP() << "the sample names are in code page 1252";
    std::map<std::string, std::string> before;
    for (const Case& c : cases) before[c.name] = ReadBytes(Make(c.name.c_str(), c.target));
    ASSERT_TRUE(CreateDirectoryA((desktop + "\\folder.lnk").c_str(), nullptr));

    ASSERT_EQ(0, wintest::RunQuorvel(""));
    std::vector<std::string> expectedListing = {"folder.lnk"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 40) + " (" + std::to_string(c.name.size()) + " bytes)");
        if (c.nameAfter.empty()) {
            EXPECT_EQ(before[c.name], ReadBytes(desktop + "\\" + c.name));
            expectedListing.push_back(c.name);
        } else {
            EXPECT_EQ(L"C:\\APPS\\Bolvane.exe", TargetOf(desktop + "\\" + c.nameAfter));
            expectedListing.push_back(c.nameAfter);
        }
    }
    std::sort(expectedListing.begin(), expectedListing.end());
    EXPECT_EQ(expectedListing, ListFolder(desktop));
    EXPECT_TRUE(GetFileAttributesA((desktop + "\\folder.lnk").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

namespace {

// A description the ANSI code page cannot carry would be rewritten with "?" in it: the
// shortcut is left as it is.
TEST_F(Faults, TextsOutsideTheCodePageAreLeftAlone) {
    const std::string path = desktop + "\\notes.lnk";
    wintest::Shortcut shortcut;
    shortcut.target = L"C:\\APPS\\DRAVELIN.EXE";
    shortcut.description = L"\x8bf4\x660e \x0414\x0438\x043c\x0430";
    ASSERT_TRUE(wintest::MakeShortcut(path, shortcut));
    const std::string before = ReadBytes(path);
    ASSERT_EQ(0, wintest::RunQuorvel(""));
    EXPECT_EQ(before, ReadBytes(path));
}

}  // namespace
