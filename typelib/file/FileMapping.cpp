#include "typelib/file/FileMapping.h"

#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <mutex>
#include <optional>

namespace vantrel {
namespace {

// The address ranges of the mappings alive, read by the SIGBUS handler. A free slot
// holds 0..0, which no address falls in; a range is published start first and
// withdrawn end first, so the handler never sees a range wider than the mapping.
struct GuardedRange {
    std::atomic<uintptr_t> start{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> taken{false};
};
constexpr size_t kGuardedRanges = 64;
std::array<GuardedRange, kGuardedRanges> guardedRanges;

uintptr_t pageSize = 4096;
struct sigaction previousBusAction {};
std::once_flag guardInstalled;

// A SIGBUS that is not ours goes where it would have gone without us.
void passOn(int signal, siginfo_t* info, void* context) {
    if ((previousBusAction.sa_flags & SA_SIGINFO) != 0 && previousBusAction.sa_sigaction) {
        previousBusAction.sa_sigaction(signal, info, context);
        return;
    }
    if (previousBusAction.sa_handler != SIG_DFL && previousBusAction.sa_handler != SIG_IGN) {
        previousBusAction.sa_handler(signal);
        return;
    }
    // Delivered again once the handler returns, now to the default action.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGBUS, &fallback, nullptr);
    raise(SIGBUS);
}

// A read past the end of a file cut short: the pages from the fault to the end of the
// mapping become zeros, and the read is made again. Only async-signal-safe calls.
void onBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (const GuardedRange& range : guardedRanges) {
        const uintptr_t end = range.end.load(std::memory_order_acquire);
        const uintptr_t start = range.start.load(std::memory_order_acquire);
        if (address < start || address >= end) continue;
        const uintptr_t page = address & ~(pageSize - 1);
        void* zeros = mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) return;
    }
    passOn(signal, info, context);
}

void installGuard() {
    const long size = sysconf(_SC_PAGESIZE);
    if (size > 0) pageSize = static_cast<uintptr_t>(size);
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &previousBusAction);
}

std::optional<size_t> takeRange() {
    for (size_t slot = 0; slot < kGuardedRanges; ++slot)
        if (!guardedRanges[slot].taken.exchange(true, std::memory_order_acq_rel)) return slot;
    return std::nullopt;
}

}  // namespace

std::shared_ptr<const FileMapping> FileMapping::map(int fd, size_t size) {
    if (size == 0) return nullptr;
    std::call_once(guardInstalled, installGuard);
    const std::optional<size_t> slot = takeRange();
    if (!slot) return nullptr;
    void* start = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    GuardedRange& range = guardedRanges[*slot];
    if (start == MAP_FAILED) {
        range.taken.store(false, std::memory_order_release);
        return nullptr;
    }
    const auto first = reinterpret_cast<uintptr_t>(start);
    range.start.store(first, std::memory_order_release);
    range.end.store(first + ((size + pageSize - 1) & ~(pageSize - 1)), std::memory_order_release);
    return std::shared_ptr<const FileMapping>(new FileMapping(static_cast<const uint8_t*>(start), size, *slot));
}

FileMapping::~FileMapping() {
    GuardedRange& range = guardedRanges[slot_];
    range.end.store(0, std::memory_order_release);
    range.start.store(0, std::memory_order_release);
    munmap(const_cast<uint8_t*>(start_), size_);
    range.taken.store(false, std::memory_order_release);
}

}  // namespace vantrel
