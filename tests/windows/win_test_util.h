#pragma once
// Helpers for the tests that run under Windows (or Wine): folders, files, processes and
// shortcuts made independently of the program's own link store.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace wintest {

std::string WindowsDirectory();
// "<Windows directory>\<name>", e.g. Desktop or "Start Menu".
std::string WindowsFolder(const char* name);
// Creates `folder` if needed and removes everything inside it, subfolders included.
void EmptyFolder(const std::string& folder);
void RemoveTree(const std::string& path);
// A fresh, empty folder of the test's own under the temporary directory.
std::string MakeScratchFolder(const char* name);
// The names (not paths) of the entries directly inside `folder`, sorted.
std::vector<std::string> ListFolder(const std::string& folder);

bool WriteBytes(const std::string& path, const std::string& bytes);
// The whole file; `ok` is false when it cannot be read.
std::string ReadBytes(const std::string& path, bool* ok = nullptr);
bool Exists(const std::string& path);

// A file in the same folder as this test program.
std::string BesideThisProgram(const char* name);
// Starts `application` with exactly `commandLine` as its command line and waits for it;
// returns its exit code, or -1 when it could not be started or did not end in time.
long RunProcess(const std::string& application, const std::string& commandLine,
                DWORD timeoutMs = 60000);

// Starts the program built beside the tests with exactly `tail` after its quoted name, as
// Windows would hand it over, and waits for it; returns its exit code (-1: no exit).
long RunQuorvel(const std::string& tail, DWORD timeoutMs = 60000);

// A shortcut written through the shell's own wide interface.
struct Shortcut {
    std::wstring target;
    std::wstring arguments;
    std::wstring description;
    std::wstring workingDirectory;
    std::wstring iconLocation;
    int iconIndex = 0;
    WORD hotkey = 0;
    int showCmd = SW_SHOWNORMAL;
};
bool MakeShortcut(const std::string& path, const Shortcut& shortcut);
// A shortcut to `target` with a value in every property the program carries, and an icon.
Shortcut SampleShortcut(const wchar_t* target);
// Reads a shortcut back through the wide interface, without resolving it.
bool LoadShortcut(const std::string& path, Shortcut& shortcut);

// Header fields of a shortcut file, read from its bytes (little-endian, `size` bytes).
std::uint32_t HeaderField(const std::string& bytes, std::size_t offset, std::size_t size);
int HeaderShowCmd(const std::string& bytes);
WORD HeaderHotkey(const std::string& bytes);

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// Initialises COM for the test program's thread.
class ComScope {
public:
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

}  // namespace wintest

namespace wintest {

// True under Wine, whose shell link object differs from Windows' in places.
bool UnderWine();
// Runs a host (Unix) program under Wine, e.g. {"/usr/bin/chattr", "+i", hostPath}, and
// waits for it. Wine does not report a host program's exit code: check its effect.
// False where it cannot be started (on Windows itself).
bool RunHostCommand(const std::vector<std::string>& arguments);
// The host path of a Windows path under Wine ("C:\x" -> "/.../drive_c/x"); empty elsewhere.
std::string HostPath(const std::string& windowsPath);

}  // namespace wintest
