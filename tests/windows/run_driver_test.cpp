// The folder scan under Windows (or Wine), with the fake link store.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/run_repair.h"
#include "tests/fake/fake_link_store.h"
#include "win_test_util.h"

namespace {

using wintest::WindowsFolder;

class FolderScan : public ::testing::Test {
protected:
    void SetUp() override {
        fake_store::Reset();
        wintest::EmptyFolder(desktop);
        wintest::EmptyFolder(startMenu);
    }
    void TearDown() override {
        wintest::EmptyFolder(desktop);
        wintest::EmptyFolder(startMenu);
    }
    void Touch(const std::string& path) { ASSERT_TRUE(wintest::WriteBytes(path, "x")); }

    std::vector<std::string> ReadPaths() const {
        std::vector<std::string> paths;
        for (const StoreCall& call : fake_store::Calls()) {
            if (call.kind == StoreCall::Read) paths.push_back(call.linkPath);
        }
        return paths;
    }

    const std::string desktop = WindowsFolder("Desktop");
    const std::string startMenu = WindowsFolder("Start Menu");
};

// Every entry the pattern matches, a folder named like a shortcut included, reaches the
// rule; the desktop folder is finished before the start-menu folder is opened, and no
// subfolder is entered.
TEST_F(FolderScan, DesktopFirstThenStartMenuTopLevelOnly) {
    Touch(desktop + "\\b.lnk");
    Touch(desktop + "\\a.lnk");
    Touch(desktop + "\\CAPITALS.LNK");
    Touch(desktop + "\\notes.txt");
    ASSERT_TRUE(CreateDirectoryA((desktop + "\\folder.lnk").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((desktop + "\\Sub").c_str(), nullptr));
    Touch(desktop + "\\Sub\\nested.lnk");
    Touch(startMenu + "\\c.lnk");
    ASSERT_TRUE(CreateDirectoryA((startMenu + "\\Programs").c_str(), nullptr));
    Touch(startMenu + "\\Programs\\deep.lnk");

    HWND const owner = reinterpret_cast<HWND>(0x5678);
    ScanShortcutFolders(owner);

    const std::vector<std::string> reads = ReadPaths();
    ASSERT_EQ(5u, reads.size());
    const std::set<std::string> desktopReads(reads.begin(), reads.begin() + 4);
    const std::set<std::string> expectedDesktop = {desktop + "\\a.lnk", desktop + "\\b.lnk",
                                                   desktop + "\\CAPITALS.LNK",
                                                   desktop + "\\folder.lnk"};
    EXPECT_EQ(expectedDesktop, desktopReads);
    EXPECT_EQ(startMenu + "\\c.lnk", reads[4]);
    for (const StoreCall& call : fake_store::Calls()) EXPECT_EQ(owner, call.owner);
}

TEST_F(FolderScan, MissingFolderStillScansTheOther) {
    wintest::RemoveTree(desktop);
    Touch(startMenu + "\\c.lnk");
    ScanShortcutFolders(nullptr);
    EXPECT_EQ(std::vector<std::string>{startMenu + "\\c.lnk"}, ReadPaths());
}

// A shortcut the rule moves is saved under its new name in the same folder; the scan goes
// on with the other entries and the rule sees the moved one as a normal shortcut.
TEST_F(FolderScan, RepairsThroughTheRule) {
    const std::string old = desktop + "\\Shortcut to dravelin.exe.lnk";
    Touch(old);
    fake_store::Serve(old, MakeRecord("C:\\APPS\\DRAVELIN.EXE"));
    FilterText[0] = '\0';
    ScanShortcutFolders(nullptr);
    const std::vector<std::string> expected = {
        "read " + old,
        "write C:\\APPS\\Bolvane.exe -> " + desktop + "\\Shortcut to Bolvane.exe.LNK",
        "delete " + old};
    EXPECT_EQ(expected, fake_store::CallLines());
}

// Entries whose full path would pass 259 bytes are skipped, never cut short.
TEST_F(FolderScan, OverlongEntryIsSkipped) {
    const std::size_t room = 259 - desktop.size() - 1;  // bytes left for a name
    const std::string fits = std::string(room - 4, 'f') + ".lnk";
    const std::string tooLong = std::string(room - 3, 'g') + ".lnk";
    Touch(desktop + "\\" + fits);
    Touch(desktop + "\\" + tooLong);
    if (!wintest::Exists(desktop + "\\" + tooLong)) GTEST_SKIP() << "file system refused the name";
    ScanShortcutFolders(nullptr);
    EXPECT_EQ(std::vector<std::string>{desktop + "\\" + fits}, ReadPaths());
}

// Without its owner window the run reads nothing and still ends with 0.
TEST_F(FolderScan, NoOwnerWindowMeansNoRun) {
    Touch(desktop + "\\a.lnk");
    HINSTANCE const instance = GetModuleHandleA(nullptr);
    WNDCLASSA taken = {};
    taken.lpfnWndProc = DefWindowProcA;
    taken.hInstance = instance;
    taken.lpszClassName = "Quorvel";
    RegisterClassA(&taken);  // the run's own registration must now fail
    WNDCLASSA found;
    ASSERT_TRUE(GetClassInfoA(instance, "Quorvel", &found));

    EXPECT_EQ(0, RunRepair(instance, ""));
    EXPECT_TRUE(fake_store::Calls().empty());
    UnregisterClassA("Quorvel", instance);
}

}  // namespace
