#pragma once
// Handle -> record lookup: open addressing, 8 bytes a slot (32 bits of the handle beside the record
// index, so that most probes never touch the record itself). Cheaper than a node-based map for
// millions of records.

#include <cstdint>
#include <vector>

#include "record.h"

namespace vrk::dxf {

class HandleIndex {
public:
    // Prepares for about n handles (the table grows on demand anyway).
    void reserve(std::size_t n);
    // Adds record i (records[i].handle != 0). Returns the record already holding that handle, or
    // kNoRecord when the handle was new.
    RecordIndex insert(RecordIndex i, const std::vector<Record>& records);
    RecordIndex find(Handle h, const std::vector<Record>& records) const;
    std::size_t size() const { return count_; }

private:
    static std::uint64_t mix(Handle h) {
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdULL;
        h ^= h >> 33;
        return h;
    }
    // Handles are mostly handed out in sequence: folding keeps neighbours in neighbouring slots, so
    // inserting a file's handles walks the table instead of jumping across it.
    static std::size_t home(Handle h) { return std::size_t(h ^ (h >> 21) ^ (h >> 42)); }
    static std::uint64_t slotFor(std::uint64_t mixed, RecordIndex i) {
        return (mixed & 0xFFFFFFFF00000000ULL) | (std::uint64_t(i) + 1);
    }
    void grow(const std::vector<Record>& records);

    std::vector<std::uint64_t> slots_;  // 0 = empty; else high 32 bits of mix(handle) | index + 1
    std::size_t count_ = 0;
};

}  // namespace vrk::dxf
