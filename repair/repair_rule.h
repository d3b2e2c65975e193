#pragma once
// The decision taken for one shortcut file, and the link-store operations it needs.
// No Windows header here: the owner window travels through as an opaque handle, so the
// rule builds and is tested on any platform.

#include <cstdint>

#include "text_match.h"

// The run's hidden owner window (an HWND), handed through to the link reader.
using OwnerWindow = void*;

// A COM result as the store reports it: success when zero or positive.
using LinkResult = long;

// The properties of one shortcut, ANSI code page, each text NUL-terminated.
struct LinkRecord {
    char Path[MaxPathBytes];  // target, in short (8.3) form
    char Description[MaxPathBytes];
    char WorkingDirectory[MaxPathBytes];
    char Arguments[MaxPathBytes];
    char IconLocation[MaxPathBytes];
    std::int32_t IconIndex;
    std::uint16_t Hotkey;
    std::int32_t ShowCmd;
};

// The executables to replace, in the order they are searched for, and their successor.
constexpr int OldTargetCount = 2;
extern const char* const OldTargetNames[OldTargetCount];
extern const char NewTargetName[];

// The command-line tail, kept for the whole run; written once before the first folder.
extern char FilterText[MaxPathBytes];

// Stores the whole tail, unaltered, in FilterText. A tail that does not fit leaves it
// empty and returns false: cutting it short would widen the filter.
bool StoreFilterText(const char* commandTail);

// Link store, supplied by the shell (or a test double).
// Fills `record` from the shortcut file; true only when every property was read.
bool ReadLink(OwnerWindow owner, const char* linkPath, LinkRecord& record);
// Saves a new shortcut to `targetPath` with the record's description, working directory,
// arguments, hotkey and show command as the file `linkPath`, replacing one of that name.
LinkResult WriteLink(const char* targetPath, const char* linkPath, const LinkRecord& record);
void DeleteLinkFile(const char* linkPath);
// Removes the temporary files that an earlier run, stopped in the middle of a save, left in
// the folder.
void RemoveLeftoverSaves(const char* folderPath);

// Repairs one shortcut when its target contains FilterText and names an old executable.
void UpdateShortcut(OwnerWindow owner, const char* linkPath, LinkRecord& record);
