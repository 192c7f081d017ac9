#include "file_snapshot.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace vrk::fs {

#if defined(__linux__) && defined(F_SETLEASE)

namespace {

// What the lease-break handler may do with a slot. It acts only on Claiming (the lease is being taken:
// give it up, the reader copies instead) and Leased (keep the bytes, then give it up).
enum SlotState : int { kFree, kReserved, kClaiming, kBrokenEarly, kLeased, kBreaking, kCopied };

struct Slot {
    std::atomic<int> state{kFree};
    int fd = -1;
    char* data = nullptr;
    std::size_t size = 0;
    struct stat asRead {};  // the file as it was mapped
    // Set when the bytes may no longer be those read (see keepBytes).
    std::atomic<bool> lost{false};
};

// Drawings open at once in one process; past this many, files are copied.
constexpr int kSlotCount = 64;
Slot gSlots[kSlotCount];
struct sigaction gPrevious;
struct sigaction gPreviousBus;
std::uintptr_t gPageSize = 4096;  // set before the handlers go in

bool sameAsRead(const Slot& slot) {
    struct stat now {};
    return ::fstat(slot.fd, &now) == 0 && now.st_size == slot.asRead.st_size &&
           now.st_mtim.tv_sec == slot.asRead.st_mtim.tv_sec && now.st_mtim.tv_nsec == slot.asRead.st_mtim.tv_nsec &&
           now.st_ctim.tv_sec == slot.asRead.st_ctim.tv_sec && now.st_ctim.tv_nsec == slot.asRead.st_ctim.tv_nsec;
}

// Puts a private copy of the mapped bytes where the mapping was, in one step, so that a reader on
// another thread sees the same bytes before and after. Without memory for the copy there is nothing to
// keep them in: the lease goes anyway, rather than stalling the other program for the system's
// lease-break time, and the bytes, still the file's pages, count as lost. A host that could not answer
// in that time (stopped, Ctrl+Z) answers late, when the other program may already have changed the
// file: the copy is then not the file read, which the file's times tell (checked before and after
// copying), and a page cut off meanwhile reads as zeros (onBus).
void keepBytes(Slot& slot) {
    if (!sameAsRead(slot)) slot.lost.store(true);
    bool kept = false;
    void* copy = ::mmap(nullptr, slot.size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (copy != MAP_FAILED) {
        std::memcpy(copy, slot.data, slot.size);
        ::mprotect(copy, slot.size, PROT_READ);
        kept = ::mremap(copy, slot.size, slot.size, MREMAP_MAYMOVE | MREMAP_FIXED, slot.data) != MAP_FAILED;
        if (!kept) ::munmap(copy, slot.size);
    }
    if (!kept) slot.lost.store(true);
    if (!sameAsRead(slot)) slot.lost.store(true);
    ::fcntl(slot.fd, F_SETLEASE, F_UNLCK);
}

// Hands a signal that is not about a snapshot to the handler that was there before; false when that
// was the default action or none.
bool passOn(const struct sigaction& previous, int sig, siginfo_t* info, void* context) {
    if ((previous.sa_flags & SA_SIGINFO) != 0) {
        if (previous.sa_sigaction == nullptr) return false;
        previous.sa_sigaction(sig, info, context);
        return true;
    }
    if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN || previous.sa_handler == nullptr)
        return false;
    previous.sa_handler(sig);
    return true;
}

// A read past the end of a file cut short: only possible once a lease was taken back by the system
// (see keepBytes). The page reads as zeros from then on and the bytes count as lost; a fault anywhere
// else is what it was.
extern "C" void onBus(int sig, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : gSlots) {
        if (slot.state.load(std::memory_order_acquire) < kLeased) continue;
        const auto first = reinterpret_cast<std::uintptr_t>(slot.data);
        if (address < first || address >= first + slot.size) continue;
        void* page = reinterpret_cast<void*>(address & ~(gPageSize - 1));
        if (::mmap(page, gPageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            slot.lost.store(true);
            return;
        }
    }
    if (!passOn(gPreviousBus, sig, info, context))
        ::signal(SIGBUS, SIG_DFL);  // the faulting access runs again and ends the process as it would have
}

extern "C" void onLeaseBreak(int sig, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    bool ours = false;
    for (Slot& slot : gSlots) {
        int state = slot.state.load(std::memory_order_acquire);
        if (state < kClaiming || slot.fd != info->si_fd) continue;
        ours = true;
        if (state == kClaiming && slot.state.compare_exchange_strong(state, kBrokenEarly)) {
            ::fcntl(slot.fd, F_SETLEASE, F_UNLCK);
        } else if (state == kLeased && slot.state.compare_exchange_strong(state, kBreaking)) {
            keepBytes(slot);
            slot.state.store(kCopied, std::memory_order_release);
        }
    }
    if (!ours) passOn(gPrevious, sig, info, context);
    errno = savedErrno;
}

bool installHandler() {
    static std::once_flag once;
    static bool installed = false;
    std::call_once(once, [] {
        gPageSize = std::uintptr_t(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onLeaseBreak;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        struct sigaction bus {};
        bus.sa_sigaction = onBus;
        bus.sa_flags = SA_SIGINFO | SA_NODEFER;  // also while the lease handler copies
        sigemptyset(&bus.sa_mask);
        installed = ::sigaction(SIGIO, &action, &gPrevious) == 0 && ::sigaction(SIGBUS, &bus, &gPreviousBus) == 0;
    });
    return installed;
}

Slot* reserveSlot() {
    for (Slot& slot : gSlots) {
        int expected = kFree;
        if (slot.state.compare_exchange_strong(expected, kReserved)) return &slot;
    }
    return nullptr;
}

void freeSlot(Slot& slot) {
    if (slot.data != nullptr) ::munmap(slot.data, slot.size);
    if (slot.fd >= 0) ::close(slot.fd);  // gives up the lease, if still held
    slot.fd = -1;
    slot.data = nullptr;
    slot.size = 0;
    slot.state.store(kFree, std::memory_order_release);
}

}  // namespace

std::unique_ptr<FileSnapshot> FileSnapshot::take(int fd, std::size_t size) {
    if (size == 0 || !installHandler()) return nullptr;
    Slot* pSlot = reserveSlot();
    if (pSlot == nullptr) return nullptr;
    Slot& slot = *pSlot;
    // A descriptor of its own, so that the lease lives as long as the snapshot, not the caller's.
    slot.fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    slot.size = size;
    slot.lost.store(false);
    slot.state.store(kClaiming, std::memory_order_release);
    // The break signal names the descriptor (si_fd) only when set explicitly. No lease while anyone
    // has the file open for writing, nor on a file of another user.
    if (slot.fd < 0 || ::fcntl(slot.fd, F_SETSIG, SIGIO) != 0 || ::fcntl(slot.fd, F_SETLEASE, F_RDLCK) != 0) {
        slot.state.store(kReserved);
        freeSlot(slot);
        return nullptr;
    }
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, slot.fd, 0);
    if (data == MAP_FAILED || ::fstat(slot.fd, &slot.asRead) != 0 || std::uint64_t(slot.asRead.st_size) != size) {
        if (data != MAP_FAILED) ::munmap(data, size);
        slot.state.store(kReserved);
        freeSlot(slot);
        return nullptr;
    }
    slot.data = static_cast<char*>(data);
    int claiming = kClaiming;
    if (!slot.state.compare_exchange_strong(claiming, kLeased)) {
        // Broken while it was being taken: the file may be changing; the caller copies what it reads.
        slot.state.store(kReserved);
        freeSlot(slot);
        return nullptr;
    }
    return std::unique_ptr<FileSnapshot>(new FileSnapshot(slot.data, size, int(pSlot - gSlots)));
}

bool FileSnapshot::intact() const { return !gSlots[mSlot].lost.load(); }

FileSnapshot::~FileSnapshot() {
    Slot& slot = gSlots[mSlot];
    // Out of the handler's reach first; a break under way on another thread is let finish.
    for (;;) {
        int state = slot.state.load(std::memory_order_acquire);
        if (state == kBreaking) continue;
        if (slot.state.compare_exchange_weak(state, kReserved)) break;
    }
    freeSlot(slot);
}

#else

std::unique_ptr<FileSnapshot> FileSnapshot::take(int, std::size_t) { return nullptr; }
bool FileSnapshot::intact() const { return true; }  // never made: take() says no

FileSnapshot::~FileSnapshot() {}

#endif

}  // namespace vrk::fs
