#include "handle_index.h"

#include <chrono>
#include <random>

namespace vrk::dxf {

namespace {

// Longer probes than this do not happen with handles as drawing programs hand them out.
constexpr std::size_t kLongProbe = 256;

std::uint64_t randomSeed() {
    std::uint64_t seed = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        seed ^= (std::uint64_t(device()) << 32) ^ device();
    } catch (...) {
        // No random device: the clock alone still changes from run to run.
    }
    return seed;
}

}  // namespace

std::size_t HandleIndex::home(Handle h) const {
    if (!scattered_) return std::size_t(h ^ (h >> 21) ^ (h >> 42));
    h ^= seed_;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return std::size_t(h);
}

void HandleIndex::reserve(std::size_t n) {
    std::size_t cap = 16;
    while (cap * 7 < n * 10) cap <<= 1;
    if (cap > slots_.size() && count_ == 0) slots_.assign(cap, 0);
}

void HandleIndex::rehash(std::size_t capacity, const std::vector<Record>& records) {
    std::vector<std::uint32_t> old;
    old.swap(slots_);
    slots_.assign(capacity, 0);
    const std::size_t mask = slots_.size() - 1;
    for (std::uint32_t v : old) {
        if (v == 0) continue;
        std::size_t s = home(records[v - 1].handle) & mask;
        while (slots_[s] != 0) s = (s + 1) & mask;
        slots_[s] = v;
    }
}

RecordIndex HandleIndex::insert(RecordIndex i, const std::vector<Record>& records) {
    if ((count_ + 1) * 10 > slots_.size() * 7)  // at most 70% full
        rehash(slots_.empty() ? 16 : slots_.size() * 2, records);
    const Handle h = records[i].handle;
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = home(h) & mask;
    for (std::size_t probes = 0; slots_[s] != 0; s = (s + 1) & mask) {
        const RecordIndex other = slots_[s] - 1;
        if (records[other].handle == h) return other;
        if (++probes == kLongProbe && !scattered_) {
            scattered_ = true;
            seed_ = randomSeed();
            rehash(slots_.size(), records);
            return insert(i, records);
        }
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
