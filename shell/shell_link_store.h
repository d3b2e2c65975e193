#pragma once
// The link store through the Windows shell's link object: ReadLink, WriteLink and
// DeleteLinkFile as declared by the repair rule, plus the pieces they share.

#include <windows.h>

#include "repair/repair_rule.h"

// `text` (ANSI code page) as a wide path of at most MAX_PATH characters; false when the
// conversion fails or does not fit.
bool WidenPath(const char* text, wchar_t (&wide)[MAX_PATH]);

// Saves the link object's shortcut as `linkPath` without ever leaving a half-written file
// there: it is written to a temporary file in the same folder and moved into place only
// once complete. On failure `linkPath` is as it was and no temporary file remains.
HRESULT SaveLinkSafely(IPersistFile* file, const char* linkPath);

// Temporary files of a save: a name (and 8.3 alias) that the "*.lnk" scan never matches.
extern const char TempFilePattern[];
