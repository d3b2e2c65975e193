// The demonstration: fills the Windows directory's Desktop and Start Menu folders with a
// handful of sample shortcuts, runs the program once with the given filter, and prints
// every shortcut before and after, marking what changed.
//   quorvel_demo PROGRAM.exe [FILTER]
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/windows/win_test_util.h"

namespace {

struct Sample {
    const char* folder;  // below the Windows directory
    const char* name;
    const wchar_t* target;
    const wchar_t* arguments;
};

const Sample Samples[] = {
    {"Desktop", "Shortcut to dravelin.exe.lnk", L"C:\\APPS\\DRAVELIN.EXE", L"--ledger main"},
    {"Desktop", "Bolvane Classic.lnk", L"C:\\APPS\\BOLVANE2.EXE", L"/safe"},
    {"Desktop", "Notes.lnk", L"C:\\APPS\\NOTES.EXE", L""},
    {"Start Menu", "Dravelin.lnk", L"C:\\APPS\\DRAVELIN.EXE", L"--quiet"},
    {"Start Menu", "Old Tools.lnk", L"D:\\TOOLS\\DRAVELIN.EXE", L""},
    {"Start Menu\\Programs", "dravelin.exe.lnk", L"C:\\APPS\\DRAVELIN.EXE", L""},
};
const char* const Folders[] = {"Desktop", "Start Menu", "Start Menu\\Programs"};

struct Entry {
    std::string target;
    std::string arguments;
    std::string bytes;
};
using Listing = std::map<std::string, Entry>;  // "folder\name" -> entry

Listing ListShortcuts() {
    Listing listing;
    for (const char* folder : Folders) {
        const std::string path = wintest::WindowsFolder(folder);
        for (const std::string& name : wintest::ListFolder(path)) {
            wintest::Shortcut shortcut;
            if (!wintest::LoadShortcut(path + "\\" + name, shortcut)) continue;
            listing[std::string(folder) + "\\" + name] =
                Entry{wintest::Narrow(shortcut.target), wintest::Narrow(shortcut.arguments),
                      wintest::ReadBytes(path + "\\" + name)};
        }
    }
    return listing;
}

void PrintRow(const std::string& shortcut, const Entry& entry, const std::string& mark) {
    std::printf("  %-44s %-24s %-16s %s\n", shortcut.c_str(), entry.target.c_str(),
                entry.arguments.c_str(), mark.c_str());
}

void PrintHeader(const char* title) {
    std::printf("\n%s\n  %-44s %-24s %-16s\n", title, "Shortcut", "Target", "Arguments");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quorvel_demo PROGRAM.exe [FILTER]\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string filter = argc > 2 ? argv[2] : "C:\\APPS";
    wintest::ComScope com;

    wintest::EmptyFolder(wintest::WindowsFolder("Desktop"));
    wintest::EmptyFolder(wintest::WindowsFolder("Start Menu"));
    CreateDirectoryA(wintest::WindowsFolder("Start Menu\\Programs").c_str(), nullptr);
    for (const Sample& sample : Samples) {
        wintest::Shortcut shortcut;
        shortcut.target = sample.target;
        shortcut.arguments = sample.arguments;
        shortcut.description = L"Sample shortcut";
        const std::string path = wintest::WindowsFolder(sample.folder) + "\\" + sample.name;
        if (!wintest::MakeShortcut(path, shortcut)) {
            std::fprintf(stderr, "could not make %s\n", path.c_str());
            return 1;
        }
    }

    const Listing before = ListShortcuts();
    PrintHeader("Before:");
    for (const auto& [shortcut, entry] : before) PrintRow(shortcut, entry, "");

    // The tail is passed byte for byte, exactly as typed.
    const long exitCode = wintest::RunProcess(program, "\"" + program + "\" " + filter);
    std::printf("\nRan: quorvel.exe %s   (exit code %ld)\n", filter.c_str(), exitCode);

    const Listing after = ListShortcuts();
    std::vector<std::string> vanished;
    for (const auto& [shortcut, entry] : before) {
        if (after.count(shortcut) == 0) vanished.push_back(shortcut);
    }
    PrintHeader("After:");
    for (const auto& [shortcut, entry] : after) {
        auto old = before.find(shortcut);
        std::string mark;
        if (old == before.end()) {
            mark = "<- moved here";
            if (vanished.size() == 1) mark += " from " + vanished[0];
        } else if (old->second.bytes != entry.bytes) {
            mark = "<- repaired in place";
        } else {
            mark = "   unchanged";
        }
        PrintRow(shortcut, entry, mark);
    }
    for (const std::string& shortcut : vanished) {
        std::printf("  %-44s (removed: saved under its new name)\n", shortcut.c_str());
    }
    return exitCode == 0 ? 0 : 1;
}
