#include "win_test_util.h"

#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

using Microsoft::WRL::ComPtr;

namespace wintest {

std::string WindowsDirectory() {
    char buffer[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, length);
}

std::string WindowsFolder(const char* name) { return WindowsDirectory() + "\\" + name; }

void RemoveTree(const std::string& path) {
    // The wide, unparsed form reaches paths past MAX_PATH as well.
    const std::wstring longPath = L"\\\\?\\" + Widen(path);
    const DWORD attributes = GetFileAttributesW(longPath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(longPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        for (const std::string& name : ListFolder(path)) RemoveTree(path + "\\" + name);
        RemoveDirectoryW(longPath.c_str());
    } else {
        DeleteFileW(longPath.c_str());
    }
}

void EmptyFolder(const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    for (const std::string& name : ListFolder(folder)) RemoveTree(folder + "\\" + name);
}

std::string MakeScratchFolder(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "quorvel-" + name;
    EmptyFolder(folder);
    return folder;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string ReadBytes(const std::string& path, bool* ok) {
    std::ifstream file(path, std::ios::binary);
    if (ok != nullptr) *ok = static_cast<bool>(file);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string BesideThisProgram(const char* name) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    return path.substr(0, path.find_last_of('\\') + 1) + name;
}

namespace {

// Starts `application` with `commandLine` and waits for it to end; the exit code is
// filled where the platform reports one.
bool StartAndWait(const std::string& application, const std::string& commandLine, DWORD timeoutMs,
                  DWORD* exitCode) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    const bool ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    if (!GetExitCodeProcess(process.hProcess, exitCode)) *exitCode = static_cast<DWORD>(-1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

}  // namespace

long RunProcess(const std::string& application, const std::string& commandLine, DWORD timeoutMs) {
    DWORD exitCode = 0;
    if (!StartAndWait(application, commandLine, timeoutMs, &exitCode)) return -1;
    return static_cast<long>(exitCode);
}

long RunQuorvel(const std::string& tail, DWORD timeoutMs) {
    const std::string program = BesideThisProgram("quorvel.exe");
    return RunProcess(program, "\"" + program + "\" " + tail, timeoutMs);
}

Shortcut SampleShortcut(const wchar_t* target) {
    Shortcut shortcut;
    shortcut.target = target;
    shortcut.arguments = L"--profile \"Main office\"  -q";
    shortcut.description = L"Opens the ledger";
    shortcut.workingDirectory = L"C:\\DATA";
    shortcut.iconLocation = L"C:\\APPS\\LEDGER.ICO";
    shortcut.iconIndex = 2;
    shortcut.hotkey = 0x0347;  // Ctrl+Shift+G
    shortcut.showCmd = SW_SHOWMAXIMIZED;
    return shortcut;
}

bool MakeShortcut(const std::string& path, const Shortcut& shortcut) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&link)))) {
        return false;
    }
    link->SetPath(shortcut.target.c_str());
    link->SetArguments(shortcut.arguments.c_str());
    link->SetDescription(shortcut.description.c_str());
    link->SetWorkingDirectory(shortcut.workingDirectory.c_str());
    if (!shortcut.iconLocation.empty()) {
        link->SetIconLocation(shortcut.iconLocation.c_str(), shortcut.iconIndex);
    }
    link->SetHotkey(shortcut.hotkey);
    link->SetShowCmd(shortcut.showCmd);
    ComPtr<IPersistFile> file;
    return SUCCEEDED(link.As(&file)) && SUCCEEDED(file->Save(Widen(path).c_str(), TRUE));
}

bool LoadShortcut(const std::string& path, Shortcut& shortcut) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&link))) ||
        FAILED(link.As(&file)) || FAILED(file->Load(Widen(path).c_str(), STGM_READ))) {
        return false;
    }
    wchar_t text[MAX_PATH];
    WIN32_FIND_DATAW scratch;
    text[0] = L'\0';
    link->GetPath(text, MAX_PATH, &scratch, SLGP_RAWPATH);
    shortcut.target = text;
    text[0] = L'\0';
    link->GetArguments(text, MAX_PATH);
    shortcut.arguments = text;
    text[0] = L'\0';
    link->GetDescription(text, MAX_PATH);
    shortcut.description = text;
    text[0] = L'\0';
    link->GetWorkingDirectory(text, MAX_PATH);
    shortcut.workingDirectory = text;
    text[0] = L'\0';
    link->GetIconLocation(text, MAX_PATH, &shortcut.iconIndex);
    shortcut.iconLocation = text;
    link->GetHotkey(&shortcut.hotkey);
    link->GetShowCmd(&shortcut.showCmd);
    return true;
}

std::uint32_t HeaderField(const std::string& bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size && offset + i < bytes.size(); ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]))
                 << (8 * i);
    }
    return value;
}

int HeaderShowCmd(const std::string& bytes) {
    return static_cast<int>(HeaderField(bytes, 0x3C, 4));
}

WORD HeaderHotkey(const std::string& bytes) {
    return static_cast<WORD>(HeaderField(bytes, 0x40, 2));
}

std::wstring Widen(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
    wide.resize(wide.size() - 1);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

}  // namespace wintest

namespace wintest {

bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

bool RunHostCommand(const std::vector<std::string>& arguments) {
    if (!UnderWine() || arguments.empty()) return false;
    // Wine starts a host program but hands back no process handle to wait on, so the
    // command touches a marker file when it is done, and the marker is waited for.
    const std::string marker = MakeScratchFolder("host-command") + "\\done";
    const std::string hostMarker = HostPath(marker);
    if (hostMarker.empty()) return false;
    std::string script;
    for (const std::string& argument : arguments) script += "'" + argument + "' ";
    script += "; touch '" + hostMarker + "'";
    DWORD ignored = 0;
    StartAndWait("/bin/sh", "/bin/sh -c \"" + script + "\"", 0, &ignored);
    for (int waited = 0; waited < 200 && !Exists(marker); ++waited) Sleep(50);
    return Exists(marker);
}

std::string HostPath(const std::string& windowsPath) {
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) return "";
    char* unixName = toUnix(Widen(windowsPath).c_str());
    if (unixName == nullptr) return "";
    std::string result = unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

}  // namespace wintest
