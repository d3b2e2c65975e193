// Drives UpdateShortcut through the fake link store and checks what reaches the store.
//
// Input: one byte of store behaviour (bit 0: the read stops partway, bit 1: the write
// fails, bit 2: the file cannot be opened at all), then the command-line filter, the
// target the shortcut holds and the shortcut's own path, separated by NUL bytes. Targets
// and shortcut paths are cut to the 259 characters that the reader and the folder scan can
// hand over; the filter is not, since the run itself decides what a long one means.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/reference_text.h"
#include "repair/repair_rule.h"
#include "tests/fake/fake_link_store.h"

namespace {

OwnerWindow const Owner = reinterpret_cast<OwnerWindow>(0x5150);

std::string Clipped(const std::string& text) {
    return text.substr(0, reference::LongestFittingText);
}

bool Fits(const char* text) { return std::memchr(text, '\0', MaxPathBytes) != nullptr; }

// What the rule is meant to do with a shortcut it may repair: the first old name (in
// table order) that occurs, replaced at its first occurrence.
reference::Replaced ReplaceOldName(const std::string& text) {
    for (const char* oldName : {"BOLVANE2.EXE", "DRAVELIN.EXE"}) {
        const reference::Replaced replaced = reference::ReplaceFirst(text, oldName, "Bolvane.exe");
        if (replaced.found) return replaced;
    }
    return {false, text};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool readIncomplete = (data[0] & 1) != 0;
    const bool writeFails = (data[0] & 2) != 0;
    const bool unreadable = (data[0] & 4) != 0;
    const std::vector<std::string> texts = SplitTexts(data + 1, size - 1, 3);
    const std::string& filter = texts[0];
    const std::string target = Clipped(texts[1]);
    const std::string linkPath = Clipped(texts[2]);
    const auto inputs = [&] {
        std::string shown = "filter " + Shown(filter) + "\ntarget " + Shown(target) +
                            "\nlink path " + Shown(linkPath) + "\nread " +
                            (unreadable       ? "fails"
                             : readIncomplete ? "incomplete"
                                              : "complete") +
                            ", write " + (writeFails ? "fails" : "succeeds") + "\ncalls:";
        for (const std::string& line : fake_store::CallLines()) {
            shown += "\n  " + Escaped(line);
        }
        return shown;
    };

    fake_store::Reset();
    // The run repairs nothing with a filter it could not keep whole, so neither does this.
    const bool filterKept = StoreFilterText(HeapCopy(filter).get());
    Require(filterKept == (filter.size() <= reference::LongestFittingText) &&
                std::string(FilterText) == (filterKept ? filter : ""),
            "the filter is kept whole or not at all", inputs);
    if (!filterKept) return 0;

    const LinkRecord served = MakeRecord(target.c_str());
    if (!unreadable) fake_store::Serve(linkPath, served, !readIncomplete);
    fake_store::FailWrites(writeFails);
    // The folder scan hands the same record from shortcut to shortcut.
    const std::unique_ptr<LinkRecord> record(new LinkRecord(MakeRecord("C:\\OLD\\DRAVELIN.EXE")));
    const std::unique_ptr<char[]> link = HeapCopy(linkPath);

    UpdateShortcut(Owner, link.get(), *record);

    Require(StillHolds(link, linkPath), "the shortcut path is left as it was", inputs);
    const std::vector<StoreCall>& calls = fake_store::Calls();
    Require(!calls.empty() && calls[0].kind == StoreCall::Read && calls[0].owner == Owner &&
                calls[0].linkPath == linkPath,
            "the shortcut is read first, from its own path, with the owner window", inputs);

    const bool mayWrite = !unreadable && !readIncomplete && reference::Contains(target, filter);
    bool written = false;
    bool writeSucceeded = false;
    bool deleted = false;
    std::string writtenPath;
    for (std::size_t i = 1; i < calls.size(); ++i) {
        const StoreCall& call = calls[i];
        Require(call.linkPath.size() <= linkPath.size() && call.targetPath.size() <= target.size(),
                "no text handed to the store is longer than the one it came from", inputs);
        Require(call.linkPath.size() <= reference::LongestFittingText &&
                    call.targetPath.size() <= reference::LongestFittingText,
                "every path handed to the store fits a path buffer", inputs);
        switch (call.kind) {
            case StoreCall::Read:
                Require(false, "the shortcut is read once", inputs);
                break;
            case StoreCall::Write:
                Require(mayWrite, "no write after a failed filter or an incomplete read", inputs);
                Require(!written, "one write at most", inputs);
                Require(Fits(call.record.Description) && Fits(call.record.WorkingDirectory) &&
                            Fits(call.record.Arguments),
                        "every text of the written record fits its buffer", inputs);
                Require(
                    std::strcmp(call.record.Description, served.Description) == 0 &&
                        std::strcmp(call.record.WorkingDirectory, served.WorkingDirectory) == 0 &&
                        std::strcmp(call.record.Arguments, served.Arguments) == 0 &&
                        call.record.Hotkey == served.Hotkey &&
                        call.record.ShowCmd == served.ShowCmd,
                    "the write carries the settings that were read", inputs);
                written = true;
                writeSucceeded = !writeFails;
                writtenPath = call.linkPath;
                break;
            case StoreCall::Delete:
                Require(written, "no delete before the write", inputs);
                Require(writeSucceeded, "no delete after a failed write", inputs);
                Require(!deleted, "one delete at most", inputs);
                Require(call.linkPath == linkPath && writtenPath != linkPath,
                        "only the old file of a moved shortcut is deleted", inputs);
                deleted = true;
                break;
        }
    }

    // Beyond what must never happen: exactly what the rule calls for.
    std::vector<std::string> expected = {"read " + linkPath};
    const reference::Replaced newTarget = ReplaceOldName(target);
    if (mayWrite && newTarget.found) {
        const reference::Replaced newLinkPath = ReplaceOldName(linkPath);
        expected.push_back("write " + newTarget.out + " -> " + newLinkPath.out);
        if (newLinkPath.found && !writeFails) expected.push_back("delete " + linkPath);
    }
    Require(fake_store::CallLines() == expected, "the calls are the ones the rule calls for", [&] {
        std::string shown = inputs() + "\nexpected:";
        for (const std::string& line : expected) shown += "\n  " + Escaped(line);
        return shown;
    });
    return 0;
}
