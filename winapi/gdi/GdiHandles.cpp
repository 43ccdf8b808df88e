// The GDI handle table: slots in chunks that are allocated as the table
// grows and never freed, so that a lookup can reach a slot without a lock;
// and each thread's cache of device contexts.
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
// A handle carries the low 12 bits of its slot's generation; the slot keeps
// 27, so that a cached entry is not fooled before the slot has been reused
// 2^27 times.
constexpr std::uint32_t HandleGenerationMask = 0xFFF;
constexpr std::uint32_t GenerationMask = (1u << 27) - 1;

// The high half of a slot's state word: generation, kind and the live bit;
// the low half counts the pins.
constexpr std::uint64_t LiveBit = 1;
constexpr std::uint64_t PinMask = 0xFFFFFFFF;
// The part of the high half that a handle value can be checked against.
constexpr std::uint32_t HandleIdentityMask = (HandleGenerationMask << 5) | 0x1F;

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

bool Matches(std::uint64_t state, const Decoded& found) {
    return (static_cast<std::uint32_t>(state >> 32) & HandleIdentityMask) == found.Identity;
}

Decoded Decode(const void* handle, GdiKind kind) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    auto index = static_cast<std::uint32_t>(value & 0xFFFF);
    auto claimed = static_cast<std::uint32_t>((value >> 16) & 0xF);
    if ((value >> 32) != 0 || index == 0 || claimed != static_cast<std::uint32_t>(kind))
        return {};
    Slot* chunk = TheTable().Chunks[index / SlotsPerChunk].load(std::memory_order_acquire);
    if (!chunk)
        return {};
    auto generation = static_cast<std::uint32_t>((value >> 20) & HandleGenerationMask);
    return {&chunk[index % SlotsPerChunk], index, Identity(generation, claimed)};
}

Slot& SlotOf(const void* handle) {
    auto index = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle) & 0xFFFF);
    return TheTable().Chunks[index / SlotsPerChunk].load(
        std::memory_order_acquire)[index % SlotsPerChunk];
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

Slot* Pin(const void* handle, GdiKind kind) {
    Decoded found = Decode(handle, kind);
    if (found.Where) {
        std::uint64_t state = found.Where->State.load(std::memory_order_relaxed);
        while (Matches(state, found)) {
            if (found.Where->State.compare_exchange_weak(
                    state, state + 1, std::memory_order_acquire, std::memory_order_relaxed))
                return found.Where;
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

using Detail::GdiCacheSize;
using Detail::StillLive;
using Detail::ThreadGdiCache;

// The strong references behind this thread's cache entries.
struct CacheOwners {
    std::array<std::shared_ptr<GdiObject>, GdiCacheSize> Held;
    ~CacheOwners() {
        // Another thread-local object's destructor may still draw.
        ThreadGdiCache.Entries = {};
        ThreadGdiCache.Closed = true;
    }
};

thread_local CacheOwners Owners;

void Drop(int i) {
    ThreadGdiCache.Entries[static_cast<size_t>(i)] = {};
    // Reset last: the object's destructor may run here.
    Owners.Held[static_cast<size_t>(i)].reset();
}

// Drops every dead entry that no GdiRef holds, and picks the entry to fill:
// -1 when every one is held.
int MakeRoom() {
    if (ThreadGdiCache.Closed)
        return -1;
    int empty = -1;
    for (int i = 0; i < GdiCacheSize; ++i) {
        Detail::GdiCacheEntry& entry = ThreadGdiCache.Entries[static_cast<size_t>(i)];
        if (entry.Uses != 0)
            continue;
        if (entry.Handle != 0 && !StillLive(entry))
            Drop(i);
        if (entry.Handle == 0 && empty < 0)
            empty = i;
    }
    if (empty >= 0)
        return empty;
    for (int tries = 0; tries < GdiCacheSize; ++tries) {
        int i = static_cast<int>(ThreadGdiCache.NextVictim++ % GdiCacheSize);
        if (ThreadGdiCache.Entries[static_cast<size_t>(i)].Uses == 0)
            return i;
    }
    return -1;
}

} // namespace

namespace Detail {
constinit thread_local GdiCache ThreadGdiCache;

GdiLookup MissGdiObject(const void* handle, GdiKind kind) {
    Slot* slot = Pin(handle, kind);
    if (!slot)
        return {};
    GdiLookup pinned{slot->Object.get(), &slot->Object, nullptr, handle};
    if (kind != GdiKind::DeviceContext)
        return pinned;
    // Under the pin the slot cannot be reused, so its state is either that of
    // this object, live, or dead: a dead one is not cached.
    auto identity = static_cast<std::uint32_t>(slot->State.load(std::memory_order_acquire) >> 32);
    int i = (identity & LiveBit) ? MakeRoom() : -1;
    if (i < 0)
        return pinned;
    auto at = static_cast<size_t>(i);
    // The victim's object, if this was its last reference, is destroyed here.
    Owners.Held[at] = slot->Object;
    GdiCacheEntry& entry = ThreadGdiCache.Entries[at];
    entry = {reinterpret_cast<std::uintptr_t>(handle),
             &slot->State,
             identity,
             slot->Object.get(),
             &Owners.Held[at],
             1};
    UnpinGdiSlot(handle);
    return {entry.Object, entry.Owner, &entry.Uses, nullptr};
}

void UnpinGdiSlot(const void* handle) {
    // Only called for a handle that was pinned, so the decoding cannot fail
    // and the slot is still the one that was pinned.
    Slot& slot = SlotOf(handle);
    std::uint64_t before = slot.State.fetch_sub(1, std::memory_order_acq_rel);
    if (((before >> 32) & LiveBit) == 0 && (before & PinMask) == 1)
        Reclaim(slot,
                static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle) & 0xFFFF));
}

} // namespace Detail

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
    return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(
        index | (kind << 16) | ((generation & HandleGenerationMask) << 20)));
}

bool RemoveGdiObject(HGDIOBJ handle, GdiKind kind) {
    Decoded found = Decode(handle, kind);
    if (found.Where) {
        std::uint64_t state = found.Where->State.load(std::memory_order_relaxed);
        while (Matches(state, found)) {
            // Kill and pin in one step, so that the object can be retired.
            std::uint64_t dead = (state & ~(LiveBit << 32)) + 1;
            if (found.Where->State.compare_exchange_weak(state, dead, std::memory_order_acq_rel,
                                                         std::memory_order_relaxed)) {
                found.Where->Object->Retire();
                // This thread's own entry goes now, unless a GdiRef holds it.
                auto value = reinterpret_cast<std::uintptr_t>(handle);
                for (int i = 0; i < GdiCacheSize; ++i) {
                    const Detail::GdiCacheEntry& entry =
                        ThreadGdiCache.Entries[static_cast<size_t>(i)];
                    if (entry.Handle == value && entry.Uses == 0)
                        Drop(i);
                }
                Detail::UnpinGdiSlot(handle);
                return true;
            }
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

} // namespace WinApi
