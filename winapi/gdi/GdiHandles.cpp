// The GDI handle table: slots in chunks that are allocated as the table
// grows and never freed, so that a lookup can reach a slot without a lock.
#include "gdi/GdiHandles.h"

#include <array>
#include <atomic>
#include <deque>
#include <mutex>
#include <new>

namespace WinApi {
namespace {

constexpr std::uint32_t IndexBits = 16;
constexpr std::uint32_t SlotsPerChunk = 256;
constexpr std::uint32_t ChunkCount = (1u << IndexBits) / SlotsPerChunk;
constexpr std::uint32_t GenerationMask = 0xFFF;

// The high half of a slot's state word: generation, kind and the live bit;
// the low half counts the pins.
constexpr std::uint64_t LiveBit = 1;
constexpr std::uint64_t PinMask = 0xFFFFFFFF;

constexpr std::uint32_t Identity(std::uint32_t generation, std::uint32_t kind) {
    return (generation << 5) | (kind << 1) | 1u;
}

struct Slot {
    std::atomic<std::uint64_t> State{0};
    std::shared_ptr<GdiObject> Object;
};

struct Table {
    std::array<std::atomic<Slot*>, ChunkCount> Chunks{};
    std::mutex Lock;
    std::deque<std::uint32_t> Free;
    std::uint32_t NextUnused = 1; // index 0 is never handed out
};

Table& TheTable() {
    // Never destroyed: objects may still be used while the process ends.
    static auto* table = new Table;
    return *table;
}

struct Decoded {
    Slot* Where = nullptr;
    std::uint32_t Index = 0;
    std::uint32_t Identity = 0;
};

Decoded Decode(const void* handle, GdiKind kind) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    auto index = static_cast<std::uint32_t>(value & 0xFFFF);
    auto claimed = static_cast<std::uint32_t>((value >> 16) & 0xF);
    if ((value >> 32) != 0 || index == 0 || claimed != static_cast<std::uint32_t>(kind))
        return {};
    Slot* chunk = TheTable().Chunks[index / SlotsPerChunk].load(std::memory_order_acquire);
    if (!chunk)
        return {};
    auto generation = static_cast<std::uint32_t>((value >> 20) & GenerationMask);
    return {&chunk[index % SlotsPerChunk], index, Identity(generation, claimed)};
}

// Called once a slot is dead and unpinned: the object goes, and the slot
// joins the end of the free list.
void Reclaim(Slot& slot, std::uint32_t index) {
    std::shared_ptr<GdiObject> released = std::move(slot.Object);
    Table& table = TheTable();
    {
        std::lock_guard guard(table.Lock);
        table.Free.push_back(index);
    }
    // released is destroyed here, outside the table's lock, so that its
    // destructor may itself release objects.
}

} // namespace

HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object) {
    Table& table = TheTable();
    std::lock_guard guard(table.Lock);
    std::uint32_t index = 0;
    if (!table.Free.empty()) {
        index = table.Free.front();
        table.Free.pop_front();
    } else if (table.NextUnused < (1u << IndexBits)) {
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
    auto previous = static_cast<std::uint32_t>(slot.State.load(std::memory_order_relaxed) >> 32);
    std::uint32_t generation = ((previous >> 5) + 1) & GenerationMask;
    auto kind = static_cast<std::uint32_t>(object->Kind);
    slot.Object = std::move(object);
    slot.State.store(static_cast<std::uint64_t>(Identity(generation, kind)) << 32,
                     std::memory_order_release);
    return reinterpret_cast<HGDIOBJ>(
        static_cast<std::uintptr_t>(index | (kind << 16) | (generation << 20)));
}

bool RemoveGdiObject(HGDIOBJ handle, GdiKind kind) {
    Decoded found = Decode(handle, kind);
    if (found.Where) {
        std::uint64_t state = found.Where->State.load(std::memory_order_relaxed);
        while ((state >> 32) == found.Identity) {
            std::uint64_t dead = state & ~(LiveBit << 32);
            if (found.Where->State.compare_exchange_weak(state, dead, std::memory_order_acq_rel,
                                                         std::memory_order_relaxed)) {
                if ((state & PinMask) == 0)
                    Reclaim(*found.Where, found.Index);
                return true;
            }
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

namespace Detail {

const std::shared_ptr<GdiObject>* PinGdiSlot(const void* handle, GdiKind kind) {
    Decoded found = Decode(handle, kind);
    if (found.Where) {
        std::uint64_t state = found.Where->State.load(std::memory_order_relaxed);
        while ((state >> 32) == found.Identity) {
            if (found.Where->State.compare_exchange_weak(
                    state, state + 1, std::memory_order_acquire, std::memory_order_relaxed))
                return &found.Where->Object;
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

void UnpinGdiSlot(const void* handle) {
    // Only called for a handle that PinGdiSlot accepted, so the decoding
    // cannot fail and the slot is still the one that was pinned.
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    auto index = static_cast<std::uint32_t>(value & 0xFFFF);
    Slot& slot = TheTable().Chunks[index / SlotsPerChunk].load(
        std::memory_order_acquire)[index % SlotsPerChunk];
    std::uint64_t before = slot.State.fetch_sub(1, std::memory_order_acq_rel);
    if (((before >> 32) & LiveBit) == 0 && (before & PinMask) == 1)
        Reclaim(slot, index);
}

} // namespace Detail

} // namespace WinApi
