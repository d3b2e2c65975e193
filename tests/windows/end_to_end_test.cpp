// The program itself, started with an exact command line on prepared shortcut folders.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "win_test_util.h"

namespace {

using wintest::ListFolder;
using wintest::ReadBytes;

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        wintest::EmptyFolder(desktop);
        wintest::EmptyFolder(startMenu);
        ASSERT_TRUE(CreateDirectoryA(programs.c_str(), nullptr));
    }
    void TearDown() override {
        wintest::EmptyFolder(desktop);
        wintest::EmptyFolder(startMenu);
    }

    // Makes a shortcut and remembers its bytes.
    void Make(const std::string& path, const wchar_t* target) {
        ASSERT_TRUE(wintest::MakeShortcut(path, wintest::SampleShortcut(target))) << path;
        before[path] = ReadBytes(path);
    }

    // The shortcut at `path` now starts `target` and kept every other carried setting.
    void ExpectRepaired(const std::string& path, const wchar_t* target) {
        SCOPED_TRACE(path);
        wintest::Shortcut now;
        ASSERT_TRUE(wintest::LoadShortcut(path, now));
        const wintest::Shortcut old = wintest::SampleShortcut(target);
        EXPECT_EQ(target, now.target);
        EXPECT_EQ(old.arguments, now.arguments);
        EXPECT_EQ(old.description, now.description);
        EXPECT_EQ(old.workingDirectory, now.workingDirectory);
        const std::string bytes = ReadBytes(path);
        EXPECT_EQ(old.hotkey, wintest::HeaderHotkey(bytes));
        // Wine's loader does not read the stored show command: it reports 1 (normal) for
        // every shortcut, so under Wine the program carries 1. That the store writes the
        // show command it is given is checked by the store's own tests.
        EXPECT_EQ(wintest::UnderWine() ? SW_SHOWNORMAL : old.showCmd,
                  wintest::HeaderShowCmd(bytes));
        EXPECT_EQ(0u, wintest::HeaderField(bytes, 0x14, 4) & 0x40) << "icon location written";
    }

    void ExpectUntouched(const std::string& path) {
        SCOPED_TRACE(path);
        bool ok = false;
        EXPECT_EQ(before.at(path), ReadBytes(path, &ok));
        EXPECT_TRUE(ok);
    }

    wintest::ComScope com;
    const std::string desktop = wintest::WindowsFolder("Desktop");
    const std::string startMenu = wintest::WindowsFolder("Start Menu");
    const std::string programs = startMenu + "\\Programs";
    std::map<std::string, std::string> before;
};

TEST_F(EndToEnd, RepairsMovesAndLeavesAlone) {
    const std::string moved = desktop + "\\Shortcut to dravelin.exe.lnk";
    const std::string inPlace = desktop + "\\Editor.lnk";
    const std::string startMenuApp = startMenu + "\\App.lnk";
    const std::string filterMiss = startMenu + "\\Tools.lnk";
    const std::string noOldName = desktop + "\\dravelin.exe notes.lnk";
    const std::string nested = programs + "\\dravelin.exe.lnk";
    Make(moved, L"C:\\APPS\\DRAVELIN.EXE");
    Make(inPlace, L"C:\\APPS\\BOLVANE2.EXE");
    Make(startMenuApp, L"c:\\apps\\dravelin.exe");
    Make(filterMiss, L"D:\\TOOLS\\DRAVELIN.EXE");
    Make(noOldName, L"C:\\APPS\\NOTES.EXE");
    Make(nested, L"C:\\APPS\\DRAVELIN.EXE");

    ASSERT_EQ(0, wintest::RunQuorvel("c:\\apps"));

    const std::string movedTo = desktop + "\\Shortcut to Bolvane.exe.LNK";
    EXPECT_FALSE(wintest::Exists(moved));
    ExpectRepaired(movedTo, L"C:\\APPS\\Bolvane.exe");
    ExpectRepaired(inPlace, L"C:\\APPS\\Bolvane.exe");
    ExpectRepaired(startMenuApp, L"c:\\apps\\Bolvane.exe");
    ExpectUntouched(filterMiss);
    ExpectUntouched(noOldName);
    ExpectUntouched(nested);
    const std::vector<std::string> desktopNow = {"Editor.lnk", "Shortcut to Bolvane.exe.LNK",
                                                 "dravelin.exe notes.lnk"};
    EXPECT_EQ(desktopNow, ListFolder(desktop));
    const std::vector<std::string> startMenuNow = {"App.lnk", "Programs", "Tools.lnk"};
    EXPECT_EQ(startMenuNow, ListFolder(startMenu));
}

// An empty tail is contained in every target: every old-name shortcut at the top of both
// folders is repaired, and a second run finds nothing more to do.
TEST_F(EndToEnd, EmptyTailRepairsEveryOldTargetOnce) {
    const std::string tools = startMenu + "\\Tools.lnk";
    const std::string nested = programs + "\\App.lnk";
    Make(tools, L"D:\\TOOLS\\DRAVELIN.EXE");
    Make(nested, L"C:\\APPS\\DRAVELIN.EXE");

    ASSERT_EQ(0, wintest::RunQuorvel(""));
    ExpectRepaired(tools, L"D:\\TOOLS\\Bolvane.exe");
    ExpectUntouched(nested);

    const std::string repaired = ReadBytes(tools);
    ASSERT_EQ(0, wintest::RunQuorvel(""));
    EXPECT_EQ(repaired, ReadBytes(tools));
}

// Real shortcuts written by Windows shells from XP to 10, and a few malformed files: none
// names an old executable, so even with the widest filter every one stays byte for byte.
TEST_F(EndToEnd, RealShortcutsAreLeftByteForByte) {
    const std::string corpus = wintest::BesideThisProgram("fixtures\\lnk-corpus");
    std::vector<std::string> names;
    for (const std::string& name : ListFolder(corpus)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".lnk") == 0) names.push_back(name);
    }
    for (const std::string& name : ListFolder(corpus + "\\malformed")) {
        names.push_back("malformed\\" + name);
    }
    ASSERT_GE(names.size(), 30u);
    std::vector<std::string> placed;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& folder = i % 2 == 0 ? desktop : startMenu;
        std::string flat = names[i];
        for (char& c : flat) c = c == '\\' ? '_' : c;
        const std::string path = folder + "\\" + flat;
        bool ok = false;
        ASSERT_TRUE(wintest::WriteBytes(path, ReadBytes(corpus + "\\" + names[i], &ok)) && ok);
        before[path] = ReadBytes(path);
        placed.push_back(path);
    }
    const std::vector<std::string> desktopBefore = ListFolder(desktop);
    const std::vector<std::string> startMenuBefore = ListFolder(startMenu);

    ASSERT_EQ(0, wintest::RunQuorvel(""));
    for (const std::string& path : placed) ExpectUntouched(path);
    EXPECT_EQ(desktopBefore, ListFolder(desktop));
    EXPECT_EQ(startMenuBefore, ListFolder(startMenu));
}

}  // namespace
