// The process-wide handle table: slots in chunks that are allocated as the
// table grows and never freed, so that a look-up reaches its slot without a
// lock. Each slot has one state word: its generation, a live bit and a count
// of pins. A look-up pins the slot with one compare-and-swap on that word
// when the handle's generation matches and the slot is live; closing a
// handle clears the live bit, and the object is let go by whoever drops the
// last pin. The table's mutex guards only the list of free slots, which
// opening and closing handles use. A handle value is four times the slot's
// index plus the low bits of its generation above that, so the first handle
// of every slot is a small multiple of four.
#include "kernel/KernelObject.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <new>

namespace WinApi {
namespace {

constexpr std::uint32_t IndexBits = 16;
constexpr std::uint32_t IndexMask = (1u << IndexBits) - 1;
constexpr std::uint32_t SlotsPerChunk = 256;
constexpr std::uint32_t ChunkCount = (1u << IndexBits) / SlotsPerChunk;
// A handle carries the low 14 bits of its slot's generation; the slot keeps
// 31.
constexpr std::uint32_t HandleGenerationMask = 0x3FFF;
constexpr std::uint32_t GenerationMask = 0x7FFFFFFF;

// The high half of a state word: the generation and the live bit; the low
// half counts the pins.
constexpr std::uint64_t LiveBit = 1;
constexpr std::uint64_t PinMask = 0xFFFFFFFF;

// A slot of its own cache line: threads that poll different handles do not
// slow each other down.
struct alignas(64) Slot {
    std::atomic<std::uint64_t> State{0};
    std::shared_ptr<KernelObject> Object; // written only while free and unpinned
    bool Used = false;                    // under the table's Lock
};

struct HandleTable {
    std::array<std::atomic<Slot*>, ChunkCount> Chunks{};
    std::mutex Lock;
    std::deque<std::uint32_t> Free;
    std::uint32_t NextUnused = 1; // index 0 is never handed out
};

HandleTable& Table() {
    // Never destroyed: handles may still be used while the process ends.
    static auto* table = new HandleTable;
    return *table;
}

struct Decoded {
    Slot* Where = nullptr;
    std::uint32_t Index = 0;
    std::uint32_t Generation = 0; // its low bits, as the handle has them
};

Decoded Decode(HANDLE handle) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    if ((value & 3) != 0 || (value >> 32) != 0)
        return {};
    auto index = static_cast<std::uint32_t>((value >> 2) & IndexMask);
    if (index == 0)
        return {};
    Slot* chunk = Table().Chunks[index / SlotsPerChunk].load(std::memory_order_acquire);
    if (!chunk)
        return {};
    return {&chunk[index % SlotsPerChunk], index,
            static_cast<std::uint32_t>(value >> (IndexBits + 2))};
}

bool Matches(std::uint64_t state, const Decoded& found) {
    auto high = static_cast<std::uint32_t>(state >> 32);
    return (high & LiveBit) && ((high >> 1) & HandleGenerationMask) == found.Generation;
}

// Called once a slot is dead and unpinned: the object goes, and the slot
// joins the end of the free list, so that a stale handle matches a new
// object as late as possible.
void Reclaim(Slot& slot, std::uint32_t index) {
    std::shared_ptr<KernelObject> released = std::move(slot.Object);
    HandleTable& table = Table();
    {
        std::lock_guard guard(table.Lock);
        table.Free.push_back(index);
    }
    // released is destroyed here, outside the table's lock, so that its
    // destructor may itself use handles.
}

void Unpin(const Decoded& found) {
    std::uint64_t before = found.Where->State.fetch_sub(1, std::memory_order_acq_rel);
    if (((before >> 32) & LiveBit) == 0 && (before & PinMask) == 1)
        Reclaim(*found.Where, found.Index);
}

} // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& table = Table();
    std::lock_guard guard(table.Lock);
    std::uint32_t index = 0;
    if (!table.Free.empty()) {
        index = table.Free.front();
        table.Free.pop_front();
    } else if (table.NextUnused <= IndexMask) {
        index = table.NextUnused;
        std::atomic<Slot*>& chunk = table.Chunks[index / SlotsPerChunk];
        if (!chunk.load(std::memory_order_relaxed)) {
            Slot* fresh = new (std::nothrow) Slot[SlotsPerChunk];
            if (!fresh) {
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return nullptr;
            }
            chunk.store(fresh, std::memory_order_release);
        }
        ++table.NextUnused;
    } else {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Slot& slot =
        table.Chunks[index / SlotsPerChunk].load(std::memory_order_relaxed)[index % SlotsPerChunk];
    auto previous = static_cast<std::uint32_t>(slot.State.load(std::memory_order_relaxed) >> 33);
    std::uint32_t generation = slot.Used ? ((previous + 1) & GenerationMask) : 0;
    slot.Used = true;
    slot.Object = std::move(object);
    slot.State.store(static_cast<std::uint64_t>((generation << 1) | LiveBit) << 32,
                     std::memory_order_release);
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(
        (index << 2) | ((generation & HandleGenerationMask) << (IndexBits + 2))));
}

KernelObject* PinHandle(HANDLE handle) {
    Decoded found = Decode(handle);
    if (found.Where) {
        std::uint64_t state = found.Where->State.load(std::memory_order_relaxed);
        while (Matches(state, found)) {
            if (found.Where->State.compare_exchange_weak(
                    state, state + 1, std::memory_order_acquire, std::memory_order_relaxed))
                return found.Where->Object.get();
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

void UnpinHandle(HANDLE handle) {
    // Only called for a pinned handle, so the decoding cannot fail.
    Unpin(Decode(handle));
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    if (!PinHandle(handle))
        return nullptr;
    std::shared_ptr<KernelObject> object = Decode(handle).Where->Object;
    UnpinHandle(handle);
    return object;
}

bool RemoveHandle(HANDLE handle) {
    Decoded found = Decode(handle);
    if (found.Where) {
        std::uint64_t state = found.Where->State.load(std::memory_order_relaxed);
        while (Matches(state, found)) {
            // Kill and pin in one step; the unpin lets the object go unless
            // a look-up on another thread still holds it.
            std::uint64_t dead = (state & ~(LiveBit << 32)) + 1;
            if (found.Where->State.compare_exchange_weak(state, dead, std::memory_order_acq_rel,
                                                         std::memory_order_relaxed)) {
                Unpin(found);
                return true;
            }
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

} // namespace WinApi

BOOL WINAPI CloseHandle(HANDLE hObject) {
    return WinApi::RemoveHandle(hObject) ? TRUE : FALSE;
}
