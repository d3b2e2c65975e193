#include "run_repair.h"

#include <objbase.h>

#include "repair/repair_rule.h"

int RunRepair(HINSTANCE instance, const char* commandTail) {
    HWND owner = CreateOwnerWindow(instance);
    if (owner == nullptr) return 0;

    const HRESULT comResult = CoInitialize(nullptr);
    // A tail too long to keep whole repairs nothing: a shortened filter would match more
    // shortcuts than the user asked for.
    if (StoreFilterText(commandTail)) ScanShortcutFolders(owner);
    DestroyWindow(owner);
    if (SUCCEEDED(comResult)) CoUninitialize();
    return 0;
}
