#include <cstring>

#include "shell_link_store.h"

const char TempFilePrefix[] = "qvl";

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

// Moves the finished temporary file over the destination. ReplaceFileA keeps an existing
// destination's attributes; a new destination is a plain move.
bool MoveIntoPlace(const char* tempPath, const char* linkPath) {
    const DWORD existing = GetFileAttributesA(linkPath);
    if (existing == INVALID_FILE_ATTRIBUTES) {
        return MoveFileExA(tempPath, linkPath, MOVEFILE_REPLACE_EXISTING) != 0;
    }
    // A folder is never replaced (Wine's ReplaceFileA would move it aside and succeed).
    if (existing & FILE_ATTRIBUTE_DIRECTORY) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Wine's ReplaceFileA drops the replaced file's attributes: carry them over first.
    SetFileAttributesA(tempPath, existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                             FILE_ATTRIBUTE_ARCHIVE));
    if (ReplaceFileA(linkPath, tempPath, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr)) {
        return true;
    }
    // ReplaceFileA can fail after it has already removed the destination
    // (ERROR_UNABLE_TO_MOVE_REPLACEMENT): the finished file must then take its place.
    return GetFileAttributesA(linkPath) == INVALID_FILE_ATTRIBUTES &&
           MoveFileExA(tempPath, linkPath, MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

HRESULT SaveLinkSafely(IPersistFile* file, const char* linkPath) {
    char folder[MAX_PATH];
    char tempPath[MAX_PATH];
    wchar_t wideTemp[MAX_PATH];
    wchar_t wideLink[MAX_PATH];
    if (!FolderOf(linkPath, folder) || !WidenPath(linkPath, wideLink)) return E_INVALIDARG;
    if (GetTempFileNameA(folder, TempFilePrefix, 0, tempPath) == 0) return LastErrorResult();

    HRESULT result = E_INVALIDARG;
    if (WidenPath(tempPath, wideTemp)) result = file->Save(wideTemp, TRUE);
    if (SUCCEEDED(result) && !MoveIntoPlace(tempPath, linkPath)) {
        result = LastErrorResult();
    }
    // After a successful move the temporary name is gone; otherwise it must not stay.
    if (FAILED(result)) DeleteFileA(tempPath);
    return result;
}
