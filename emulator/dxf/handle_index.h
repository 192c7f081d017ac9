#pragma once
// Handle -> record lookup: open addressing, 4 bytes a slot (the record index). Cheaper than a
// node-based map for millions of records.

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
    std::size_t size() const { return mCount; }
    // Whether the index gave up folding handles for a seeded hash (see insert()).
    bool scattered() const { return mScattered; }

private:
    // Handles are mostly handed out in sequence: folding keeps neighbours in neighbouring slots, so
    // inserting a file's handles walks the table instead of jumping across it, and probes stay short
    // enough that a slot needs to hold only the record (its handle is in the record). Handles chosen to
    // fold onto one slot would make every insert walk all of them; past a long probe the index is made
    // again with a hash seeded at random, which nobody writing a file can aim at.
    std::size_t home(Handle h) const;
    void rehash(std::size_t capacity, const std::vector<Record>& records);

    std::vector<std::uint32_t> mSlots;  // 0 = empty; else record index + 1
    std::size_t mCount = 0;
    bool mScattered = false;
    std::uint64_t mSeed = 0;
};

}  // namespace vrk::dxf
