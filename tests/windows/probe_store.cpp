// A link store for the entry-point tests: a "shortcut" file's text is its target, and
// every call is appended to the log named by QUORVEL_PROBE_LOG, one line each.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "repair/repair_rule.h"

namespace {

void Log(const char* what, const char* first, const char* second) {
    char logPath[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("QUORVEL_PROBE_LOG", logPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    FILE* log = std::fopen(logPath, "ab");
    if (log == nullptr) return;
    std::fprintf(log, "%s %s|%s\n", what, first, second);
    std::fclose(log);
}

}  // namespace

bool ReadLink(OwnerWindow owner, const char* linkPath, LinkRecord& record) {
    record = LinkRecord{};
    Log(IsWindow(static_cast<HWND>(owner)) ? "read" : "read-without-window", linkPath, FilterText);
    FILE* file = std::fopen(linkPath, "rb");
    if (file == nullptr) return false;
    const std::size_t length = std::fread(record.Path, 1, MaxPathBytes - 1, file);
    std::fclose(file);
    record.Path[length] = '\0';
    record.Path[std::strcspn(record.Path, "\r\n")] = '\0';
    return true;
}

LinkResult WriteLink(const char* targetPath, const char* linkPath, const LinkRecord&) {
    Log("write", targetPath, linkPath);
    return 0;
}

void DeleteLinkFile(const char* linkPath) { Log("delete", linkPath, ""); }

void RemoveLeftoverSaves(const char*) {}
