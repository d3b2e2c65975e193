#include "repair_rule.h"

#include <cstring>

const char* const OldTargetNames[OldTargetCount] = {"BOLVANE2.EXE", "DRAVELIN.EXE"};
const char NewTargetName[] = "Bolvane.exe";

char FilterText[MaxPathBytes];

bool StoreFilterText(const char* commandTail) { return CopyPathText(commandTail, FilterText); }

namespace {

// The first old name (in table order) that occurs in `text`, replaced at its first
// occurrence; false when none occurs.
bool ReplaceOldName(const char* text, PathText& out) {
    for (const char* oldName : OldTargetNames) {
        if (ReplaceFirstNoCase(text, oldName, NewTargetName, out)) return true;
    }
    return false;
}

}  // namespace

void UpdateShortcut(OwnerWindow owner, const char* linkPath, LinkRecord& record) {
    // A partly read record may still hold the previous shortcut's settings: never write it.
    if (!ReadLink(owner, linkPath, record)) return;
    if (!ContainsNoCase(record.Path, FilterText)) return;

    PathText newTarget;
    if (!ReplaceOldName(record.Path, newTarget)) return;

    PathText newLinkPath;
    if (!ReplaceOldName(linkPath, newLinkPath)) {
        WriteLink(newTarget, linkPath, record);
        return;
    }
    // Save the moved shortcut first and remove the old file only once the new one exists,
    // so that a failed save never costs the user the shortcut.
    if (WriteLink(newTarget, newLinkPath, record) >= 0) DeleteLinkFile(linkPath);
}
