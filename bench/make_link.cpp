// Writes one shortcut through the shell, for the benchmark's templates:
//   make_link TARGET LINK
// with a description, working directory, arguments, hotkey and show command, so that a
// repair has every carried property to read and write again.
#include <shlobj.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_link TARGET LINK\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr))) return 1;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t wideLink[MAX_PATH];
    const bool ok =
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->SetPath(argv[1])) &&
        SUCCEEDED(link->SetDescription("Benchmark shortcut")) &&
        SUCCEEDED(link->SetWorkingDirectory("C:\\APPS")) &&
        SUCCEEDED(link->SetArguments("/profile bench")) &&
        SUCCEEDED(link->SetHotkey(MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT))) &&
        SUCCEEDED(link->SetShowCmd(SW_SHOWMINNOACTIVE)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        MultiByteToWideChar(CP_ACP, 0, argv[2], -1, wideLink, MAX_PATH) != 0 &&
        SUCCEEDED(file->Save(wideLink, TRUE));
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    CoUninitialize();
    if (!ok) std::fprintf(stderr, "make_link: could not write %s\n", argv[2]);
    return ok ? 0 : 1;
}
