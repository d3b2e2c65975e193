#include <shlobj.h>
#include <wrl/client.h>

#include <cstring>

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

// True when `wide` comes through the ANSI code page whole and equals `narrow`: no
// character replaced by a default ("?") or a look-alike, and nothing cut off.
bool SameInAnsi(const wchar_t* wide, const char* narrow) {
    char converted[MAX_PATH];
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, converted,
                                           MAX_PATH, nullptr, &usedDefault);
    return length != 0 && !usedDefault && std::strcmp(converted, narrow) == 0;
}

// The ANSI interface silently replaces characters outside the code page; a shortcut read
// that way would be rewritten with the replacements. Reads the carried texts again through
// the wide interface of the same object and accepts the record only when they agree.
bool SurvivesAnsi(IShellLinkA* link, const LinkRecord& record) {
    ComPtr<IShellLinkW> wideLink;
    if (FAILED(link->QueryInterface(IID_PPV_ARGS(&wideLink)))) return false;
    wchar_t text[MAX_PATH];
    WIN32_FIND_DATAW scratch;
    return SUCCEEDED(wideLink->GetPath(text, MAX_PATH, &scratch, SLGP_SHORTPATH)) &&
           SameInAnsi(text, record.Path) && SUCCEEDED(wideLink->GetDescription(text, MAX_PATH)) &&
           SameInAnsi(text, record.Description) &&
           SUCCEEDED(wideLink->GetWorkingDirectory(text, MAX_PATH)) &&
           SameInAnsi(text, record.WorkingDirectory) &&
           SUCCEEDED(wideLink->GetArguments(text, MAX_PATH)) && SameInAnsi(text, record.Arguments);
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
    return ReadProperties(link.Get(), record) && SurvivesAnsi(link.Get(), record);
}
