// The benchmark's floor: the program's shell work and nothing else. It scans the same two
// folders, with the same kind of hidden owner window, and hands each shortcut to the
// program's own link store (shell/), so that its shell-link calls and file operations (load,
// resolve, read; new link object, temporary file, replace or move, delete) are the program's
// by construction, whatever the store does. What it leaves out is every decision: the
// benchmark's file names say what to do.
//   "Repair ..."       rewritten in place
//   "DRAVELIN.EXE ..." saved as "Bolvane.exe ..." (the rest in capitals), old file deleted
//   anything else      only read
// The outcome must be byte for byte the program's own; bench/run compares the two.
#include <windows.h>

#include <cstring>

#include "repair/repair_rule.h"

namespace {

const char NewTarget[] = "C:\\APPS\\Bolvane.exe";
const char MovedPrefix[] = "DRAVELIN.EXE";
const char NewPrefix[] = "Bolvane.exe";

void Scan(HWND owner, const char* folder) {
    char pattern[MAX_PATH];
    wsprintfA(pattern, "%s\\*.lnk", folder);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    LinkRecord record = {};
    do {
        char linkPath[MAX_PATH];
        wsprintfA(linkPath, "%s\\%s", folder, entry.cFileName);
        if (!ReadLink(owner, linkPath, record)) continue;
        if (entry.cFileName[0] == 'R') {
            WriteLink(NewTarget, linkPath, record);
        } else if (std::strncmp(entry.cFileName, MovedPrefix, sizeof MovedPrefix - 1) == 0) {
            // The program writes the text after the old name in capitals: so must this.
            char newPath[MAX_PATH];
            wsprintfA(newPath, "%s\\%s%s", folder, NewPrefix,
                      entry.cFileName + sizeof MovedPrefix - 1);
            CharUpperA(newPath + std::strlen(folder) + sizeof NewPrefix);
            if (WriteLink(NewTarget, newPath, record) >= 0) DeleteLinkFile(linkPath);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Resolve is given an owner window, as in the program.
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "QuorvelFloor";
    if (RegisterClassA(&windowClass) == 0) return 0;
    HWND owner = CreateWindowExA(0, windowClass.lpszClassName, windowClass.lpszClassName,
                                 WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr,
                                 nullptr, instance, nullptr);
    if (owner == nullptr) return 0;
    const HRESULT com = CoInitialize(nullptr);

    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length != 0 && length < MAX_PATH - 16) {
        char folder[MAX_PATH];
        wsprintfA(folder, "%s\\Desktop", windows);
        Scan(owner, folder);
        wsprintfA(folder, "%s\\Start Menu", windows);
        Scan(owner, folder);
    }
    DestroyWindow(owner);
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}
