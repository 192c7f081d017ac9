#include "handle_index.h"

namespace vrk::dxf {

void HandleIndex::reserve(std::size_t n) {
    std::size_t cap = 16;
    while (cap * 7 < n * 10) cap <<= 1;
    if (cap > slots_.size() && count_ == 0) slots_.assign(cap, 0);
}

void HandleIndex::grow(const std::vector<Record>& records) {
    std::vector<std::uint32_t> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::uint32_t v : old) {
        if (v == 0) continue;
        std::size_t s = home(records[v - 1].handle) & mask;
        while (slots_[s] != 0) s = (s + 1) & mask;
        slots_[s] = v;
    }
}

RecordIndex HandleIndex::insert(RecordIndex i, const std::vector<Record>& records) {
    if ((count_ + 1) * 10 > slots_.size() * 7) grow(records);  // at most 70% full
    const Handle h = records[i].handle;
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = home(h) & mask;
    for (; slots_[s] != 0; s = (s + 1) & mask) {
        const RecordIndex other = slots_[s] - 1;
        if (records[other].handle == h) return other;
    }
    slots_[s] = i + 1;
    ++count_;
    return kNoRecord;
}

RecordIndex HandleIndex::find(Handle h, const std::vector<Record>& records) const {
    if (slots_.empty() || h == kNoHandle) return kNoRecord;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t s = home(h) & mask; slots_[s] != 0; s = (s + 1) & mask) {
        const RecordIndex i = slots_[s] - 1;
        if (records[i].handle == h) return i;
    }
    return kNoRecord;
}

}  // namespace vrk::dxf
