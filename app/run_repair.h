#pragma once
// The run: hidden owner window, COM, the command-line filter, and the scan of the Windows
// directory's two shortcut folders.

#include <windows.h>

// Does the whole run; the result is the exit code, always 0.
int RunRepair(HINSTANCE instance, const char* commandTail);

// Registers the window class and creates the hidden window that owns the shell's
// resolve calls. Null on failure (the class is then unregistered again).
HWND CreateOwnerWindow(HINSTANCE instance);
LRESULT CALLBACK OwnerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Scans "<Windows directory>\Desktop", then "<Windows directory>\Start Menu".
void ScanShortcutFolders(HWND owner);
// Hands every "*.lnk" entry directly inside `folderPath` to the repair rule.
void ScanFolder(HWND owner, const char* folderPath);

// Joins `first`, an optional backslash and `second` into `out`; false (and `out` empty)
// when the result would not fit.
bool JoinPath(char (&out)[MAX_PATH], const char* first, const char* second, bool backslash);
