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
    if (!mScattered) return std::size_t(h ^ (h >> 21) ^ (h >> 42));
    h ^= mSeed;
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
    if (cap > mSlots.size() && mCount == 0) mSlots.assign(cap, 0);
}

void HandleIndex::rehash(std::size_t capacity, const std::vector<Record>& records) {
    std::vector<std::uint32_t> old;
    old.swap(mSlots);
    mSlots.assign(capacity, 0);
    const std::size_t mask = mSlots.size() - 1;
    for (std::uint32_t v : old) {
        if (v == 0) continue;
        std::size_t s = home(records[v - 1].handle) & mask;
        while (mSlots[s] != 0) s = (s + 1) & mask;
        mSlots[s] = v;
    }
}

RecordIndex HandleIndex::insert(RecordIndex i, const std::vector<Record>& records) {
    if ((mCount + 1) * 10 > mSlots.size() * 7)  // at most 70% full
        rehash(mSlots.empty() ? 16 : mSlots.size() * 2, records);
    const Handle h = records[i].handle;
    const std::size_t mask = mSlots.size() - 1;
    std::size_t s = home(h) & mask;
    for (std::size_t probes = 0; mSlots[s] != 0; s = (s + 1) & mask) {
        const RecordIndex other = mSlots[s] - 1;
        if (records[other].handle == h) return other;
        if (++probes == kLongProbe && !mScattered) {
            mScattered = true;
            mSeed = randomSeed();
            rehash(mSlots.size(), records);
            return insert(i, records);
        }
    }
    mSlots[s] = i + 1;
    ++mCount;
    return kNoRecord;
}

RecordIndex HandleIndex::find(Handle h, const std::vector<Record>& records) const {
    if (mSlots.empty() || h == kNoHandle) return kNoRecord;
    const std::size_t mask = mSlots.size() - 1;
    for (std::size_t s = home(h) & mask; mSlots[s] != 0; s = (s + 1) & mask) {
        const RecordIndex i = mSlots[s] - 1;
        if (records[i].handle == h) return i;
    }
    return kNoRecord;
}

}  // namespace vrk::dxf
