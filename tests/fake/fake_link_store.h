#pragma once
// A link store for tests: serves records from a table and records every call in order.

#include <string>
#include <vector>

#include "repair/repair_rule.h"

struct StoreCall {
    enum Kind { Read, Write, Delete } kind;
    OwnerWindow owner;
    std::string linkPath;
    std::string targetPath;  // Write only
    LinkRecord record;       // Write only: the record handed to the write
};

namespace fake_store {

// Forgets every served record, failure and call.
void Reset();
// What ReadLink gives for `linkPath`; `complete` is its result. Unknown paths read as
// unreadable files do: empty target and description, result false.
void Serve(const std::string& linkPath, const LinkRecord& record, bool complete = true);
// Makes every WriteLink fail (or succeed again).
void FailWrites(bool fail);
const std::vector<StoreCall>& Calls();
// The calls as lines: "read P", "write T -> P", "delete P".
std::vector<std::string> CallLines();

}  // namespace fake_store

// A record with the given target and recognisable values in every other field.
LinkRecord MakeRecord(const char* target);
