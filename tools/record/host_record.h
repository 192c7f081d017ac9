// The record a host program run by vrkbatch leaves of its work: one JSON object, the only thing the host
// writes to standard output in batch mode (vrkhost --batch). vrkbatch reads it instead of what the
// commands print for people, so wording changes in messages never break a batch.
//
//   {"record": "vrkhost-batch", "version": 1,
//    "drawing": "plans/a.dxf",                    the drawing opened, as named
//    "before": {"blocks": 12, "with_dictionary": 4, "invisible": 7},   counts before the commands (absent
//    "after":  {"blocks": 12, "with_dictionary": 0, "invisible": 0},   when the drawing was not read)
//    "output": "4 dynamic blocks have been solidfied.",  what the commands printed, blanks trimmed
//    "saved": "solid/a.dxf",                      the file written, absent when nothing was written
//    "backup": "plans/a.dxf.bak",                 the backup made, absent when none was made
//    "bytes_after": 40117,                        size of the file written, absent with "saved"
//    "status": 0,                                 the host's exit status (tools/options/exit_status.h)
//    "error": ""}                                 the host's own message when status is not 0
//
// Fields are added, never renamed or given another meaning, within one version.
#pragma once

#include <optional>
#include <string>

namespace vrk::record {

// What INFO counts in block definitions.
struct BlockCounts {
    long blocks = 0;
    long withDictionary = 0;
    long invisible = 0;
    bool operator==(const BlockCounts& o) const {
        return blocks == o.blocks && withDictionary == o.withDictionary && invisible == o.invisible;
    }
    bool operator!=(const BlockCounts& o) const { return !(*this == o); }
};

struct HostRecord {
    std::string drawing;
    std::optional<BlockCounts> before, after;
    std::string output;
    std::optional<std::string> saved;
    std::optional<std::string> backup;
    std::optional<unsigned long long> bytesAfter;
    int status = 0;
    std::string error;
};

// One line of JSON, without a line end.
std::string formatRecord(const HostRecord& record);

// The record in text (what the host wrote to standard output); false with a reason when text holds no
// record of this version.
bool parseRecord(const std::string& text, HostRecord& record, std::string& reason);

}  // namespace vrk::record
