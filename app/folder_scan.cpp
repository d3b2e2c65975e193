#include <cstring>

#include "repair/repair_rule.h"
#include "run_repair.h"

bool JoinPath(char (&out)[MAX_PATH], const char* first, const char* second, bool backslash) {
    const std::size_t length = std::strlen(first) + (backslash ? 1 : 0) + std::strlen(second);
    if (length >= MAX_PATH) {
        out[0] = '\0';
        return false;
    }
    wsprintfA(out, backslash ? "%s\\%s" : "%s%s", first, second);
    return true;
}

void ScanFolder(HWND owner, const char* folderPath) {
    char pattern[MAX_PATH];
    if (!JoinPath(pattern, folderPath, "\\*.lnk", false)) return;

    RemoveLeftoverSaves(folderPath);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return;

    LinkRecord record = {};
    do {
        // The pattern also matches 8.3 aliases ("x.lnkold" as "X~1.LNK"): only a long name
        // that really ends in ".lnk" is a shortcut. An entry whose full path would not fit
        // is passed over, never cut short.
        char linkPath[MAX_PATH];
        if (EndsWithNoCase(entry.cFileName, ".lnk") &&
            JoinPath(linkPath, folderPath, entry.cFileName, true)) {
            UpdateShortcut(owner, linkPath, record);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

void ScanShortcutFolders(HWND owner) {
    char windowsDirectory[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windowsDirectory, MAX_PATH);
    // Zero means failure and MAX_PATH or more means the buffer was too small: either
    // way there is no folder to scan.
    if (length == 0 || length >= MAX_PATH) return;

    char desktopFolder[MAX_PATH];
    char startMenuFolder[MAX_PATH];
    const bool desktopFits = JoinPath(desktopFolder, windowsDirectory, "\\Desktop", false);
    const bool startMenuFits = JoinPath(startMenuFolder, windowsDirectory, "\\Start Menu", false);
    if (desktopFits) ScanFolder(owner, desktopFolder);
    if (startMenuFits) ScanFolder(owner, startMenuFolder);
}
