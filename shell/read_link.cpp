#include <shlobj.h>
#include <wrl/client.h>

#include "shell_link_store.h"

using Microsoft::WRL::ComPtr;

namespace {

// Reads the properties in their fixed order and stops at the first that fails.
bool ReadProperties(IShellLinkA* link, LinkRecord& record) {
    WIN32_FIND_DATAA scratch;
    return SUCCEEDED(link->GetPath(record.Path, MAX_PATH, &scratch, SLGP_SHORTPATH)) &&
           SUCCEEDED(link->GetDescription(record.Description, MAX_PATH)) &&
           SUCCEEDED(link->GetWorkingDirectory(record.WorkingDirectory, MAX_PATH)) &&
           SUCCEEDED(link->GetArguments(record.Arguments, MAX_PATH)) &&
           SUCCEEDED(link->GetIconLocation(record.IconLocation, MAX_PATH, &record.IconIndex)) &&
           SUCCEEDED(link->GetHotkey(&record.Hotkey)) &&
           SUCCEEDED(link->GetShowCmd(&record.ShowCmd));
}

}  // namespace

bool ReadLink(OwnerWindow owner, const char* linkPath, LinkRecord& record) {
    record.Path[0] = '\0';
    record.Description[0] = '\0';

    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&link)))) {
        return false;
    }
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file))) return false;

    wchar_t widePath[MAX_PATH];
    if (!WidenPath(linkPath, widePath)) return false;
    if (FAILED(file->Load(widePath, STGM_READ))) return false;
    // No user interface: the run is silent, and the object is never saved from here.
    if (FAILED(link->Resolve(static_cast<HWND>(owner), SLR_NO_UI | SLR_ANY_MATCH))) return false;
    return ReadProperties(link.Get(), record);
}
