// The benchmark's floor: the shell work the program cannot avoid, and nothing else. It scans
// the same two folders and makes the same calls on each shortcut as the program (load,
// resolve and read every property; for a repaired one, a new link object saved to a
// temporary file that then replaces the shortcut, or takes its new name with the old file
// deleted), but it takes no decision: the benchmark's file names say what to do.
//   "Repair ..."       rewritten in place
//   "DRAVELIN.EXE ..." saved as "Bolvane.exe ..." (the rest in capitals), old file deleted
//   anything else      only read
// The outcome must be byte for byte the program's own; bench/run compares the two.
#include <shlobj.h>
#include <windows.h>

#include <cstring>

namespace {

const char NewTarget[] = "C:\\APPS\\Bolvane.exe";
const char MovedPrefix[] = "DRAVELIN.EXE";
const char NewPrefix[] = "Bolvane.exe";

struct Properties {
    char path[MAX_PATH];
    char description[MAX_PATH];
    char workingDirectory[MAX_PATH];
    char arguments[MAX_PATH];
    char iconLocation[MAX_PATH];
    int iconIndex;
    WORD hotkey;
    int showCmd;
};

// Plain COM calls with explicit releases, so that nothing but the calls themselves costs.
IShellLinkA* NewLink() {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return nullptr;
    }
    return link;
}

IPersistFile* FileOf(IShellLinkA* link) {
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        return nullptr;
    }
    return file;
}

bool Read(HWND owner, const char* linkPath, Properties& p) {
    IShellLinkA* link = NewLink();
    if (link == nullptr) return false;
    IPersistFile* file = FileOf(link);
    bool ok = false;
    wchar_t wide[MAX_PATH];
    if (file != nullptr && MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wide, MAX_PATH) != 0 &&
        SUCCEEDED(file->Load(wide, STGM_READ)) &&
        SUCCEEDED(link->Resolve(owner, SLR_NO_UI | SLR_ANY_MATCH))) {
        WIN32_FIND_DATAA scratch;
        ok = SUCCEEDED(link->GetPath(p.path, MAX_PATH, &scratch, SLGP_SHORTPATH)) &&
             SUCCEEDED(link->GetDescription(p.description, MAX_PATH)) &&
             SUCCEEDED(link->GetWorkingDirectory(p.workingDirectory, MAX_PATH)) &&
             SUCCEEDED(link->GetArguments(p.arguments, MAX_PATH)) &&
             SUCCEEDED(link->GetIconLocation(p.iconLocation, MAX_PATH, &p.iconIndex)) &&
             SUCCEEDED(link->GetHotkey(&p.hotkey)) && SUCCEEDED(link->GetShowCmd(&p.showCmd));
    }
    if (file != nullptr) file->Release();
    link->Release();
    return ok;
}

bool Write(const char* folder, const char* linkPath, const Properties& p) {
    IShellLinkA* link = NewLink();
    if (link == nullptr) return false;
    bool ok = SUCCEEDED(link->SetPath(NewTarget)) &&
              SUCCEEDED(link->SetDescription(p.description)) &&
              SUCCEEDED(link->SetWorkingDirectory(p.workingDirectory)) &&
              SUCCEEDED(link->SetArguments(p.arguments)) && SUCCEEDED(link->SetHotkey(p.hotkey)) &&
              SUCCEEDED(link->SetShowCmd(p.showCmd));
    IPersistFile* file = ok ? FileOf(link) : nullptr;
    ok = false;
    char tempPath[MAX_PATH];
    wchar_t wideLink[MAX_PATH];
    wchar_t wideTemp[MAX_PATH];
    if (file != nullptr && MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wideLink, MAX_PATH) &&
        GetTempFileNameA(folder, "qvl", 0, tempPath) != 0) {
        if (MultiByteToWideChar(CP_ACP, 0, tempPath, -1, wideTemp, MAX_PATH) &&
            SUCCEEDED(file->Save(wideTemp, TRUE))) {
            if (GetFileAttributesA(linkPath) != INVALID_FILE_ATTRIBUTES) {
                ok = ReplaceFileA(linkPath, tempPath, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                  nullptr, nullptr) != 0;
            } else {
                ok = MoveFileExA(tempPath, linkPath, MOVEFILE_REPLACE_EXISTING) != 0;
            }
        }
        if (!ok) DeleteFileA(tempPath);
    }
    if (file != nullptr) file->Release();
    link->Release();
    return ok;
}

void Scan(HWND owner, const char* folder) {
    char pattern[MAX_PATH];
    wsprintfA(pattern, "%s\\*.lnk", folder);
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    Properties properties = {};
    do {
        char linkPath[MAX_PATH];
        wsprintfA(linkPath, "%s\\%s", folder, entry.cFileName);
        if (!Read(owner, linkPath, properties)) continue;
        if (entry.cFileName[0] == 'R') {
            Write(folder, linkPath, properties);
        } else if (std::strncmp(entry.cFileName, MovedPrefix, sizeof MovedPrefix - 1) == 0) {
            // The program writes the text after the old name in capitals: so must this.
            char newPath[MAX_PATH];
            wsprintfA(newPath, "%s\\%s%s", folder, NewPrefix,
                      entry.cFileName + sizeof MovedPrefix - 1);
            CharUpperA(newPath + std::strlen(folder) + sizeof NewPrefix);
            if (Write(folder, newPath, properties)) DeleteFileA(linkPath);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The same hidden owner window as the program's: resolve is given one.
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
