#include "fake_link_store.h"

#include <cstring>
#include <map>

namespace {

struct Served {
    LinkRecord record;
    bool complete;
};

std::map<std::string, Served> served;
bool writesFail = false;
std::vector<StoreCall> calls;

}  // namespace

namespace fake_store {

void Reset() {
    served.clear();
    writesFail = false;
    calls.clear();
}

void Serve(const std::string& linkPath, const LinkRecord& record, bool complete) {
    served[linkPath] = Served{record, complete};
}

void FailWrites(bool fail) { writesFail = fail; }

const std::vector<StoreCall>& Calls() { return calls; }

std::vector<std::string> CallLines() {
    std::vector<std::string> lines;
    for (const StoreCall& call : calls) {
        switch (call.kind) {
            case StoreCall::Read:
                lines.push_back("read " + call.linkPath);
                break;
            case StoreCall::Write:
                lines.push_back("write " + call.targetPath + " -> " + call.linkPath);
                break;
            case StoreCall::Delete:
                lines.push_back("delete " + call.linkPath);
                break;
        }
    }
    return lines;
}

}  // namespace fake_store

LinkRecord MakeRecord(const char* target) {
    LinkRecord record = {};
    CopyPathText(target, record.Path);
    CopyPathText("Starts the application", record.Description);
    CopyPathText("C:\\Work dir", record.WorkingDirectory);
    CopyPathText("/open \"a b\" -x", record.Arguments);
    CopyPathText("C:\\ICONS\\APP.ICO", record.IconLocation);
    record.IconIndex = -7;
    record.Hotkey = 0x0653;
    record.ShowCmd = 7;
    return record;
}

bool ReadLink(OwnerWindow owner, const char* linkPath, LinkRecord& record) {
    calls.push_back(StoreCall{StoreCall::Read, owner, linkPath, "", {}});
    record.Path[0] = '\0';
    record.Description[0] = '\0';
    auto found = served.find(linkPath);
    if (found == served.end()) return false;
    record = found->second.record;
    return found->second.complete;
}

LinkResult WriteLink(const char* targetPath, const char* linkPath, const LinkRecord& record) {
    calls.push_back(StoreCall{StoreCall::Write, nullptr, linkPath, targetPath, record});
    return writesFail ? -2147467259L : 0;  // E_FAIL or S_OK
}

void DeleteLinkFile(const char* linkPath) {
    calls.push_back(StoreCall{StoreCall::Delete, nullptr, linkPath, "", {}});
}

void RemoveLeftoverSaves(const char*) {}
