#include <shlobj.h>
#include <wrl/client.h>

#include "shell_link_store.h"

using Microsoft::WRL::ComPtr;

namespace {

// Sets the new target and the carried properties; the icon location is deliberately
// not carried. Stops at the first setter that fails.
HRESULT SetProperties(IShellLinkA* link, const char* targetPath, const LinkRecord& record) {
    HRESULT result = link->SetPath(targetPath);
    if (SUCCEEDED(result)) result = link->SetDescription(record.Description);
    if (SUCCEEDED(result)) result = link->SetWorkingDirectory(record.WorkingDirectory);
    if (SUCCEEDED(result)) result = link->SetArguments(record.Arguments);
    if (SUCCEEDED(result)) result = link->SetHotkey(record.Hotkey);
    if (SUCCEEDED(result)) result = link->SetShowCmd(record.ShowCmd);
    return result;
}

}  // namespace

LinkResult WriteLink(const char* targetPath, const char* linkPath, const LinkRecord& record) {
    ComPtr<IShellLinkA> link;
    HRESULT result =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link));
    if (FAILED(result)) return result;
    // A shortcut only partly set up is never saved over the user's file.
    result = SetProperties(link.Get(), targetPath, record);
    if (FAILED(result)) return result;

    ComPtr<IPersistFile> file;
    result = link.As(&file);
    if (FAILED(result)) return result;
    return SaveLinkSafely(file.Get(), linkPath);
}

void DeleteLinkFile(const char* linkPath) { DeleteFileA(linkPath); }
