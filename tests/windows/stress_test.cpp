// The program under strain: stopped at random moments, out of disk space in the middle of
// its saves, and over thousands of shortcuts. Whatever happens, every shortcut is afterwards
// whole, in its old form or its repaired one, and nothing is lost or left lying about.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "shell/shell_link_store.h"
#include "win_test_util.h"

namespace {

using wintest::Exists;
using wintest::ReadBytes;

const char Filter[] = "C:\\APPS";
const wchar_t RepairedTarget[] = L"C:\\APPS\\Bolvane.exe";

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

unsigned long EnvironmentNumber(const char* name, unsigned long fallback) {
    char text[32];
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof text);
    if (length == 0 || length >= sizeof text) return fallback;
    return std::strtoul(text, nullptr, 0);
}

std::string CommandLine() {
    return "\"" + wintest::BesideThisProgram("quorvel.exe") + "\" " + Filter;
}

long RunQuorvel(DWORD timeoutMs = 60000) { return wintest::RunQuorvel(Filter, timeoutMs); }

// Starts the program without waiting for it, so that it can be stopped at any moment.
HANDLE StartQuorvel() {
    const std::string program = wintest::BesideThisProgram("quorvel.exe");
    std::string line = CommandLine();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

enum class Outcome { Moved, InPlace, FilterMiss, NoOldName, NotShortcut };

// What a file is made from. The target is inside a shortcut's bytes, so there is one
// template per target, made once through the shell and copied to every name.
enum Source { Dravelin, Bolvane2, OtherDrive, Notes, CutShort, SourceCount };
const wchar_t* const SourceTargets[SourceCount] = {
    L"C:\\APPS\\DRAVELIN.EXE", L"C:\\APPS\\BOLVANE2.EXE", L"D:\\TOOLS\\DRAVELIN.EXE",
    L"C:\\APPS\\NOTES.EXE", L"C:\\APPS\\DRAVELIN.EXE"};

struct Kind {
    Outcome outcome;
    Source source;
    const char* name;     // the file's name, given its number
    const char* movedTo;  // the name a moved shortcut ends up under
};

// Every outcome; the old name also appears in the names of shortcuts that must stay put.
const Kind Kinds[] = {
    {Outcome::Moved, Dravelin, "Shortcut to dravelin.exe %05u.lnk",
     "Shortcut to Bolvane.exe %05u.LNK"},
    {Outcome::Moved, Bolvane2, "BOLVANE2.EXE %05u.lnk", "Bolvane.exe %05u.LNK"},
    {Outcome::InPlace, Bolvane2, "Ledger %05u.lnk", nullptr},
    {Outcome::InPlace, Dravelin, "Reports %05u.lnk", nullptr},
    {Outcome::FilterMiss, OtherDrive, "dravelin.exe tools %05u.lnk", nullptr},
    {Outcome::NoOldName, Notes, "dravelin.exe notes %05u.lnk", nullptr},
    {Outcome::NotShortcut, CutShort, "dravelin.exe broken %05u.lnk", nullptr},
};
constexpr unsigned KindCount = sizeof Kinds / sizeof Kinds[0];

struct Item {
    Outcome outcome;
    Source source;
    std::string folder;
    std::string path;
    std::string movedTo;  // moved ones only
    const std::string* bytes = nullptr;
};

bool Repairable(const Item& item) {
    return item.outcome == Outcome::Moved || item.outcome == Outcome::InPlace;
}

std::string Format(const char* pattern, unsigned number) {
    char text[MAX_PATH];
    std::snprintf(text, sizeof text, pattern, number);
    return text;
}

// "~quorvel-<process id>-<counter>.tmp", both numbers in hex.
bool IsTempName(const std::string& name) {
    const std::string head = "~quorvel-";
    const std::string tail = ".tmp";
    if (name.size() <= head.size() + tail.size() || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0) {
        return false;
    }
    const std::string middle = name.substr(head.size(), name.size() - head.size() - tail.size());
    const std::size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == middle.size()) return false;
    return middle.find_first_not_of("0123456789abcdef-") == std::string::npos &&
           middle.find('-', dash + 1) == std::string::npos;
}

// Collects what is wrong, so that one broken run does not print hundreds of failures.
class Problems {
public:
    void Add(const std::string& what) {
        if (list_.size() < 12) list_.push_back(what);
        ++count_;
    }
    bool Empty() const { return count_ == 0; }
    std::string Text() const {
        std::string text = std::to_string(count_) + " problem(s):";
        for (const std::string& line : list_) text += "\n  " + line;
        return text;
    }

private:
    std::vector<std::string> list_;
    std::size_t count_ = 0;
};

// What a stopped run may leave: each shortcut counted by the form it is in.
struct Census {
    unsigned repaired = 0;   // repairable shortcuts in their new form only
    unsigned bothForms = 0;  // moved shortcuts saved under the new name, old one not yet removed
    unsigned tempFiles = 0;
};

class Stress : public ::testing::Test {
protected:
    void SetUp() override {
        wintest::EmptyFolder(desktop);
        wintest::EmptyFolder(startMenu);
        scratch = wintest::MakeScratchFolder("stress");
        for (int source = 0; source < SourceCount; ++source) {
            const std::string path = scratch + "\\template" + std::to_string(source) + ".lnk";
            ASSERT_TRUE(
                wintest::MakeShortcut(path, wintest::SampleShortcut(SourceTargets[source])));
            made[source] = ReadBytes(path);
        }
        // A shortcut's 76-byte header and nothing after it: not a readable shortcut.
        made[CutShort].resize(0x4C);
    }
    void TearDown() override {
        wintest::EmptyFolder(desktop);
        wintest::EmptyFolder(startMenu);
        wintest::RemoveTree(scratch);
    }

    // `count` files, the kinds in turn, the two folders in turn (the kind count is odd, so
    // every kind lands in both).
    std::vector<Item> Plan(unsigned count) const {
        std::vector<Item> items;
        for (unsigned number = 0; number < count; ++number) {
            const Kind& kind = Kinds[number % KindCount];
            const std::string& folder = number % 2 == 0 ? desktop : startMenu;
            Item item;
            item.outcome = kind.outcome;
            item.source = kind.source;
            item.folder = folder;
            item.path = folder + "\\" + Format(kind.name, number);
            if (kind.movedTo != nullptr)
                item.movedTo = folder + "\\" + Format(kind.movedTo, number);
            item.bytes = &made[kind.source];
            items.push_back(item);
        }
        return items;
    }

    static void Place(const std::vector<Item>& items) {
        for (const Item& item : items) ASSERT_TRUE(wintest::WriteBytes(item.path, *item.bytes));
    }

    // The bytes of the first shortcut repaired in place in `folder`, once checked to start
    // the new target with every carried setting; every other repaired shortcut must equal
    // them.
    static std::string RepairedForm(const std::vector<Item>& items, const std::string& folder) {
        for (const Item& item : items) {
            if (item.outcome != Outcome::InPlace || item.folder != folder) continue;
            SCOPED_TRACE(item.path);
            wintest::Shortcut now;
            EXPECT_TRUE(wintest::LoadShortcut(item.path, now));
            const wintest::Shortcut old = wintest::SampleShortcut(RepairedTarget);
            EXPECT_EQ(RepairedTarget, now.target);
            EXPECT_EQ(old.arguments, now.arguments);
            EXPECT_EQ(old.description, now.description);
            EXPECT_EQ(old.workingDirectory, now.workingDirectory);
            const std::string bytes = ReadBytes(item.path);
            EXPECT_EQ(old.hotkey, wintest::HeaderHotkey(bytes));
            // Wine's loader does not read the stored show command and reports 1 (normal)
            // for every shortcut, so under Wine the program carries 1.
            EXPECT_EQ(wintest::UnderWine() ? SW_SHOWNORMAL : old.showCmd,
                      wintest::HeaderShowCmd(bytes));
            return bytes;
        }
        ADD_FAILURE() << "no shortcut to repair in the plan";
        return "";
    }

    // Every shortcut is whole in its old or its repaired form, none is missing, and the
    // folders hold nothing else but temporary files of a save (and the `others` named).
    Census ExpectEachWhole(const std::vector<Item>& items, const std::string& repaired,
                           const std::set<std::string>& others = {}) const {
        Census census;
        Problems problems;
        std::set<std::string> known = others;
        for (const Item& item : items) {
            known.insert(item.path);
            bool oldThere = false;
            const std::string old = ReadBytes(item.path, &oldThere);
            if (item.outcome == Outcome::Moved) {
                known.insert(item.movedTo);
                bool newThere = false;
                const std::string moved = ReadBytes(item.movedTo, &newThere);
                // The old file is only ever removed, never rewritten.
                if (oldThere && old != *item.bytes) problems.Add("changed: " + item.path);
                if (newThere && moved != repaired) problems.Add("not whole: " + item.movedTo);
                if (!oldThere && !newThere) problems.Add("lost: " + item.path);
                if (newThere && !oldThere) ++census.repaired;
                if (newThere && oldThere) ++census.bothForms;
            } else if (!oldThere) {
                problems.Add("lost: " + item.path);
            } else if (item.outcome == Outcome::InPlace && old == repaired) {
                ++census.repaired;
            } else if (old != *item.bytes) {
                problems.Add("neither old nor repaired: " + item.path);
            }
        }
        for (const std::string& folder : {desktop, startMenu}) {
            for (const std::string& name : wintest::ListFolder(folder)) {
                if (IsTempName(name)) {
                    ++census.tempFiles;
                } else if (known.count(folder + "\\" + name) == 0) {
                    problems.Add("stray file: " + folder + "\\" + name);
                }
            }
        }
        EXPECT_TRUE(problems.Empty()) << problems.Text();
        return census;
    }

    // A whole run's result: moved shortcuts under the new name only, in-place ones repaired,
    // the rest byte for byte, and not one file more in the folders they are in.
    void ExpectFinal(const std::vector<Item>& items, const std::string& repaired) const {
        Problems problems;
        std::map<std::string, std::set<std::string>> expected;
        for (const Item& item : items) {
            const std::string& path = item.outcome == Outcome::Moved ? item.movedTo : item.path;
            expected[item.folder].insert(path.substr(item.folder.size() + 1));
            bool there = false;
            const std::string now = ReadBytes(path, &there);
            if (!there) {
                problems.Add("missing: " + path);
            } else if (now != (Repairable(item) ? repaired : *item.bytes)) {
                problems.Add((Repairable(item) ? "not repaired: " : "changed: ") + path);
            }
        }
        for (const auto& folder : expected) {
            for (const std::string& name : wintest::ListFolder(folder.first)) {
                if (folder.second.count(name) == 0) {
                    problems.Add("left over: " + folder.first + "\\" + name);
                }
            }
        }
        EXPECT_TRUE(problems.Empty()) << problems.Text();
    }

    wintest::ComScope com;
    const std::string desktop = wintest::WindowsFolder("Desktop");
    const std::string startMenu = wintest::WindowsFolder("Start Menu");
    std::string scratch;
    std::string made[SourceCount];
};

// ---------------------------------------------------------------------------------------
// Stopped at random moments.

TEST_F(Stress, StoppedAtAnyMomentLosesNothing) {
    const unsigned long seed =
        EnvironmentNumber("QUORVEL_STRESS_SEED",
                          static_cast<unsigned long>(GetTickCount64() ^ GetCurrentProcessId()));
    std::printf("seed %lu (set QUORVEL_STRESS_SEED=%lu to repeat)\n", seed, seed);
    std::mt19937 random(seed);

    const std::vector<Item> items = Plan(300);
    Place(items);
    unsigned repairable = 0;
    for (const Item& item : items) repairable += Repairable(item) ? 1u : 0u;

    // One whole run first: its length is the range the stopping moments are drawn from.
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(0, RunQuorvel());
    const double runSeconds = SecondsSince(start);
    std::printf("whole run over %zu files: %.2f s\n", items.size(), runSeconds);
    const std::string repaired = RepairedForm(items, desktop);
    ASSERT_FALSE(repaired.empty());
    ExpectFinal(items, repaired);

    auto restore = [&](bool keepBothForms) {
        for (const Item& item : items) {
            if (item.outcome == Outcome::Moved) {
                // A shortcut in both forms is kept as the stopped run left it: the next run
                // must cope with a new name that is already taken.
                if (keepBothForms && Exists(item.path)) continue;
                DeleteFileA(item.movedTo.c_str());
            }
            if (Repairable(item)) {
                ASSERT_TRUE(wintest::WriteBytes(item.path, *item.bytes));
            }
        }
    };
    ASSERT_NO_FATAL_FAILURE(restore(false));

    // More stops for a longer soak: QUORVEL_STRESS_STOPS.
    const unsigned long stops = EnvironmentNumber("QUORVEL_STRESS_STOPS", 15);
    const DWORD longest = static_cast<DWORD>(runSeconds * 1000);
    std::uniform_int_distribution<DWORD> moment(0, longest);
    unsigned midway = 0;
    for (unsigned long stop = 0; stop < stops; ++stop) {
        const DWORD delay = moment(random);
        HANDLE process = StartQuorvel();
        ASSERT_NE(nullptr, process);
        const bool ended = WaitForSingleObject(process, delay) == WAIT_OBJECT_0;
        if (!ended) TerminateProcess(process, 1);
        const bool gone = WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
        CloseHandle(process);
        ASSERT_TRUE(gone) << "the program did not stop";

        SCOPED_TRACE("stop " + std::to_string(stop) + " at " + std::to_string(delay) + " ms");
        const Census census = ExpectEachWhole(items, repaired);
        std::printf(
            "stop %2lu at %5lu ms%s: %3u of %u repaired, %u in both forms, %u temp file(s)\n", stop,
            static_cast<unsigned long>(delay), ended ? " (had ended)" : "", census.repaired,
            repairable, census.bothForms, census.tempFiles);
        if (census.repaired > 0 && census.repaired < repairable) ++midway;
        if (HasFailure()) return;
        ASSERT_NO_FATAL_FAILURE(restore(true));
    }
    // Moments drawn over a whole run's length must catch some runs in the middle of the
    // work; if none did, the loop above exercised nothing.
    EXPECT_GT(midway, 0u) << "no stop landed in the middle of the repairs";

    // The next whole run takes up after all of them, leftover temporary files included.
    ASSERT_EQ(0, RunQuorvel());
    ExpectFinal(items, repaired);
}

// ---------------------------------------------------------------------------------------
// Out of disk space in the middle of the saves.

// A tmpfs of `kilobytes` mounted over a folder from inside Wine, unmounted again however the
// test ends (`wine-run --down` unmounts it should the test program die first). A file
// written into the folder beforehand shows which is in view: hidden while the small disk
// is mounted over it, back once it is gone.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, unsigned kilobytes)
        : host_(wintest::HostPath(folder)), underneath_(folder + "\\underneath.txt") {
        if (host_.empty()) {
            why_ = "no host path for " + folder;
            return;
        }
        if (!wintest::WriteBytes(underneath_, "on the ordinary disk")) {
            why_ = "cannot write into " + folder;
            return;
        }
        const std::string size = "size=" + std::to_string(kilobytes) + "k";
        if (!wintest::RunHostCommand({"/bin/mount", "-t", "tmpfs", "-o", size, "tmpfs", host_})) {
            why_ = "host commands cannot be run";
        } else if (Exists(underneath_)) {
            why_ = "mount had no effect (not root, or not allowed to mount here)";
        } else {
            mounted_ = true;
        }
    }
    ~SmallDisk() { Unmount(); }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& WhyNot() const { return why_; }

    void Unmount() {
        if (!mounted_) return;
        wintest::RunHostCommand({"/bin/umount", host_});
        // Still busy: detach it anyway, so that nothing after this test writes into it.
        if (!Exists(underneath_)) wintest::RunHostCommand({"/bin/umount", "-l", host_});
        mounted_ = !Exists(underneath_);
        if (mounted_) {
            ADD_FAILURE() << "the small disk over " << host_ << " stays mounted";
        } else {
            DeleteFileA(underneath_.c_str());
        }
    }

private:
    std::string host_;
    std::string underneath_;
    std::string why_;
    bool mounted_ = false;
};

// Free bytes on the disk that holds `folder`.
unsigned long long FreeBytes(const std::string& folder, unsigned long long* total = nullptr) {
    ULARGE_INTEGER available = {}, size = {};
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, &size, nullptr)) return 0;
    if (total != nullptr) *total = size.QuadPart;
    return available.QuadPart;
}

TEST_F(Stress, DiskFullInTheMiddleOfTheSavesLosesNothing) {
    const unsigned diskKilobytes = 256;
    const unsigned long long page = 4096;  // tmpfs hands out space a page at a time
    const unsigned long long room = 8 * page;
    const std::vector<Item> items = Plan(84);

    SmallDisk disk(desktop, diskKilobytes);
    if (!disk.Mounted()) {
        std::printf("could not mount a small disk over %s: %s\n", desktop.c_str(),
                    disk.WhyNot().c_str());
        GTEST_SKIP() << "no small disk: " << disk.WhyNot();
    }
    unsigned long long total = 0;
    FreeBytes(desktop, &total);
    ASSERT_EQ(diskKilobytes * 1024ull, total) << "the Desktop folder is not on the small disk";

    // A save replaces a whole file, so on its own it frees as much as it takes and the disk
    // would run out for every save or for none. Made as hard links of one file per
    // template, the Desktop shortcuts free nothing when replaced or removed, and every save
    // that succeeds uses up a page for good, until the disk is full part-way through.
    std::map<Source, std::string> firstOf;
    unsigned desktopRepairable = 0;
    for (const Item& item : items) {
        if (item.folder != desktop) {
            ASSERT_TRUE(wintest::WriteBytes(item.path, *item.bytes));
            continue;
        }
        desktopRepairable += Repairable(item) ? 1u : 0u;
        if (firstOf.count(item.source) == 0) {
            ASSERT_TRUE(wintest::WriteBytes(item.path, *item.bytes));
            firstOf[item.source] = item.path;
        } else {
            ASSERT_TRUE(CreateHardLinkA(item.path.c_str(), firstOf[item.source].c_str(), nullptr))
                << item.path << ": error " << GetLastError();
        }
    }
    const std::string filler = desktop + "\\filler.bin";
    const unsigned long long free = FreeBytes(desktop);
    ASSERT_GT(free, room);
    ASSERT_TRUE(
        wintest::WriteBytes(filler, std::string(static_cast<std::size_t>(free - room), 'f')));
    ASSERT_EQ(room, FreeBytes(desktop));

    ASSERT_EQ(0, RunQuorvel());

    // The Start Menu is on the ordinary disk: repaired whole, after all the failed saves.
    const std::string repaired = RepairedForm(items, startMenu);
    ASSERT_FALSE(repaired.empty());
    std::vector<Item> inStartMenu;
    for (const Item& item : items) {
        if (item.folder == startMenu) inStartMenu.push_back(item);
    }
    ExpectFinal(inStartMenu, repaired);

    const Census census = ExpectEachWhole(items, repaired, {filler});
    EXPECT_EQ(0u, census.tempFiles) << "a failed save left its temporary file";
    EXPECT_EQ(0u, census.bothForms);
    unsigned desktopRepaired = 0;
    for (const Item& item : items) {
        if (item.folder != desktop || !Repairable(item)) continue;
        const std::string& now = item.outcome == Outcome::Moved ? item.movedTo : item.path;
        if (ReadBytes(now) == repaired) ++desktopRepaired;
    }
    std::printf("Desktop with room for %llu pages: %u of %u shortcuts repaired\n", room / page,
                desktopRepaired, desktopRepairable);
    // Without some saves that succeeded and some that did not, the disk did not run out
    // part-way and the test proved nothing.
    EXPECT_GT(desktopRepaired, 0u);
    EXPECT_LT(desktopRepaired, desktopRepairable);

    // With room again, the next run repairs what the full disk held back.
    ASSERT_TRUE(DeleteFileA(filler.c_str()));
    ASSERT_EQ(0, RunQuorvel());
    ExpectFinal(items, repaired);
}

// ---------------------------------------------------------------------------------------
// Many shortcuts.

// Every file in the two folders, by path, with its bytes.
std::map<std::string, std::string> Snapshot(const std::vector<std::string>& folders) {
    std::map<std::string, std::string> files;
    for (const std::string& folder : folders) {
        for (const std::string& name : wintest::ListFolder(folder)) {
            files[folder + "\\" + name] = ReadBytes(folder + "\\" + name);
        }
    }
    return files;
}

TEST_F(Stress, ManyShortcutsEachJudgedRightOnce) {
    // The test suite runs a size that fits its time; scripts/scale-test runs 10,000.
    const unsigned count = static_cast<unsigned>(EnvironmentNumber("QUORVEL_SCALE_COUNT", 600));
    const DWORD timeoutMs = 120000 + 200 * count;
    const std::vector<Item> items = Plan(count);

    Clock::time_point start = Clock::now();
    Place(items);
    std::printf("%u files made in %.1f s\n", count, SecondsSince(start));

    start = Clock::now();
    ASSERT_EQ(0, RunQuorvel(timeoutMs));
    std::printf("first run: %.1f s\n", SecondsSince(start));
    const std::string repaired = RepairedForm(items, desktop);
    ASSERT_FALSE(repaired.empty());
    ExpectFinal(items, repaired);

    // Nothing left to do: the second run changes no byte and no name.
    const std::map<std::string, std::string> before = Snapshot({desktop, startMenu});
    start = Clock::now();
    ASSERT_EQ(0, RunQuorvel(timeoutMs));
    std::printf("second run: %.1f s\n", SecondsSince(start));
    const std::map<std::string, std::string> after = Snapshot({desktop, startMenu});
    Problems problems;
    for (const auto& file : before) {
        const auto now = after.find(file.first);
        if (now == after.end()) {
            problems.Add("gone: " + file.first);
        } else if (now->second != file.second) {
            problems.Add("changed: " + file.first);
        }
    }
    for (const auto& file : after) {
        if (before.count(file.first) == 0) problems.Add("new: " + file.first);
    }
    EXPECT_TRUE(problems.Empty()) << problems.Text();
}

// ---------------------------------------------------------------------------------------
// The shortcut's name while it is rewritten.

// A run may be stopped at any moment, and whatever a shortcut's name holds at that moment is
// what the user keeps. While one shortcut is rewritten in place over and over, another thread
// looks at its name as often as it can: it must always find a file, of the old size or the
// new one. (Looking at the attributes opens no handle, so it cannot hold up a save.)
TEST_F(Stress, RewrittenShortcutNeverGoesMissing) {
    const std::string path = desktop + "\\Ledger.lnk";
    ASSERT_TRUE(wintest::WriteBytes(path, made[Dravelin]));
    LinkRecord record = {};
    CopyPathText("Opens the ledger", record.Description);
    CopyPathText("C:\\DATA", record.WorkingDirectory);
    CopyPathText("--profile \"Main office\"  -q", record.Arguments);
    record.Hotkey = 0x0347;
    record.ShowCmd = SW_SHOWNORMAL;
    const char newTarget[] = "C:\\APPS\\Bolvane.exe";

    auto sizeNow = [&](ULONGLONG* size) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
        *size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return true;
    };
    const ULONGLONG oldSize = made[Dravelin].size();
    ASSERT_GE(WriteLink(newTarget, path.c_str(), record), 0);
    ULONGLONG newSize = 0;
    ASSERT_TRUE(sizeNow(&newSize));
    ASSERT_TRUE(wintest::WriteBytes(path, made[Dravelin]));

    std::atomic<bool> done(false);
    std::atomic<unsigned long> looks(0), missing(0), otherSize(0);
    std::thread watcher([&] {
        while (!done) {
            ULONGLONG size = 0;
            if (!sizeNow(&size)) {
                ++missing;
            } else if (size != oldSize && size != newSize) {
                ++otherSize;
            }
            ++looks;
        }
    });
    const int saves = 50;
    int failed = 0;
    const Clock::time_point start = Clock::now();
    for (int save = 0; save < saves; ++save) {
        if (WriteLink(newTarget, path.c_str(), record) < 0) ++failed;
    }
    done = true;
    watcher.join();
    std::printf("%d saves in %.1f s, %lu looks at the name: missing %lu, other size %lu\n", saves,
                SecondsSince(start), looks.load(), missing.load(), otherSize.load());

    EXPECT_EQ(0, failed);
    EXPECT_EQ(0u, missing.load()) << "the shortcut's name held no file during a save";
    EXPECT_EQ(0u, otherSize.load()) << "the shortcut's name held a partial file during a save";
    EXPECT_EQ(std::vector<std::string>{"Ledger.lnk"}, wintest::ListFolder(desktop));
}

}  // namespace
