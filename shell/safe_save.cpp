#include <cstring>

#include "shell_link_store.h"

const char TempFilePattern[] = "~quorvel-*.tmp";

bool WidenPath(const char* text, wchar_t (&wide)[MAX_PATH]) {
    return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH) != 0;
}

namespace {

// The folder part of `path` (everything before its last backslash).
bool FolderOf(const char* path, char (&folder)[MAX_PATH]) {
    const char* slash = std::strrchr(path, '\\');
    if (slash == nullptr) return false;
    const std::size_t length = static_cast<std::size_t>(slash - path);
    if (length >= MAX_PATH) return false;
    std::memcpy(folder, path, length);
    folder[length] = '\0';
    return true;
}

HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// Moves the finished temporary file over the destination in a single rename, so that the
// destination's name holds the old file or the new one at every moment, whenever the run is
// stopped. ReplaceFileA cannot promise that: it takes the old file away before it moves the
// new one in (Wine's moves it to an "rf*.tmp" file of its own and deletes it, and leaves that
// file behind when it fails), and a run stopped in between would keep the shortcut only in
// the temporary file, which the next run removes.
bool MoveIntoPlace(const char* tempPath, const char* linkPath) {
    const DWORD existing = GetFileAttributesA(linkPath);
    if (existing != INVALID_FILE_ATTRIBUTES) {
        // A folder is never replaced, nor a read-only file (Wine's rename would replace one).
        if (existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        // The new file keeps the replaced file's attributes; the rename alone would drop them.
        SetFileAttributesA(tempPath, existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                 FILE_ATTRIBUTE_ARCHIVE));
    }
    return MoveFileExA(tempPath, linkPath, MOVEFILE_REPLACE_EXISTING) != 0;
}

// "<folder>\<name>" into `out`; false when it would not fit.
bool JoinInFolder(char (&out)[MAX_PATH], const char* folder, const char* name) {
    if (std::strlen(folder) + 1 + std::strlen(name) >= MAX_PATH) return false;
    wsprintfA(out, "%s\\%s", folder, name);
    return true;
}

// Creates a new, empty temporary file in `folder`, named so that the next run can tell it
// from the user's files should this one be stopped before it removes it.
bool CreateTempFile(const char* folder, char (&tempPath)[MAX_PATH]) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        wsprintfA(name, "~quorvel-%lx-%x.tmp", GetCurrentProcessId(), counter++);
        if (!JoinInFolder(tempPath, folder, name)) return false;
        HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

}  // namespace

void RemoveLeftoverSaves(const char* folderPath) {
    char pattern[MAX_PATH];
    if (!JoinInFolder(pattern, folderPath, TempFilePattern)) return;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        char path[MAX_PATH];
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            JoinInFolder(path, folderPath, entry.cFileName)) {
            DeleteFileA(path);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

HRESULT SaveLinkSafely(IPersistFile* file, const char* linkPath) {
    char folder[MAX_PATH];
    char tempPath[MAX_PATH];
    wchar_t wideTemp[MAX_PATH];
    wchar_t wideLink[MAX_PATH];
    if (!FolderOf(linkPath, folder) || !WidenPath(linkPath, wideLink)) return E_INVALIDARG;
    if (!CreateTempFile(folder, tempPath)) return LastErrorResult();

    HRESULT result = E_INVALIDARG;
    if (WidenPath(tempPath, wideTemp)) result = file->Save(wideTemp, TRUE);
    if (SUCCEEDED(result) && !MoveIntoPlace(tempPath, linkPath)) {
        result = LastErrorResult();
    }
    // After a successful move the temporary name is gone; otherwise it must not stay.
    if (FAILED(result)) DeleteFileA(tempPath);
    return result;
}
