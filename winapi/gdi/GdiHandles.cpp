// The GDI handle table, on the slots of kernel/HandleSlots.h: a slot's state
// names its generation, the object's kind and the live bit. And each
// thread's cache of device contexts.
#include "gdi/GdiHandles.h"

#include "kernel/HandleSlots.h"

namespace WinApi {
namespace {

using Slots = HandleSlots<GdiObject>;
using Slot = Slots::Slot;
// A handle carries the low 12 bits of its slot's generation; the slot keeps
// 27, so that a cached entry is not fooled before the slot has been reused
// 2^27 times.
constexpr std::uint32_t HandleGenerationMask = 0xFFF;
constexpr std::uint32_t GenerationMask = (1u << 27) - 1;
// The part of the high half that a handle value can be checked against.
constexpr std::uint32_t HandleIdentityMask = (HandleGenerationMask << 5) | 0x1F;

constexpr std::uint32_t Identity(std::uint32_t generation, std::uint32_t kind) {
    return (generation << 5) | (kind << 1) | Slots::LiveBit;
}

Slots& TheTable() {
    // Never destroyed: objects may still be used while the process ends.
    static auto* table = new Slots;
    return *table;
}

std::uint32_t IndexOf(const void* handle) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle) & 0xFFFF);
}

struct Decoded {
    Slot* Where = nullptr;
    std::uint32_t Identity = 0;
};

Decoded Decode(const void* handle, GdiKind kind) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    auto claimed = static_cast<std::uint32_t>((value >> 16) & 0xF);
    if ((value >> 32) != 0 || claimed != static_cast<std::uint32_t>(kind))
        return {};
    auto generation = static_cast<std::uint32_t>((value >> 20) & HandleGenerationMask);
    return {TheTable().Find(IndexOf(handle)), Identity(generation, claimed)};
}

// The identity holds the live bit, so only a live slot matches.
auto Matching(const Decoded& found) {
    return [identity = found.Identity](std::uint32_t high) {
        return (high & HandleIdentityMask) == identity;
    };
}

Slot* Pin(const void* handle, GdiKind kind) {
    Decoded found = Decode(handle, kind);
    if (found.Where && Slots::Pin(*found.Where, Matching(found)))
        return found.Where;
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
    GdiLookup pinned{slot->Held.get(), &slot->Held, nullptr, handle};
    if (kind != GdiKind::DeviceContext)
        return pinned;
    // Under the pin the slot cannot be reused, so its state is either that of
    // this object, live, or dead: a dead one is not cached.
    auto identity = static_cast<std::uint32_t>(slot->State.load(std::memory_order_acquire) >> 32);
    int i = (identity & Slots::LiveBit) ? MakeRoom() : -1;
    if (i < 0)
        return pinned;
    auto at = static_cast<size_t>(i);
    // The victim's object, if this was its last reference, is destroyed here.
    Owners.Held[at] = slot->Held;
    GdiCacheEntry& entry = ThreadGdiCache.Entries[at];
    entry = {reinterpret_cast<std::uintptr_t>(handle),
             &slot->State,
             identity,
             slot->Held.get(),
             &Owners.Held[at],
             1};
    UnpinGdiSlot(handle);
    return {entry.Object, entry.Owner, &entry.Uses, nullptr};
}

void UnpinGdiSlot(const void* handle) {
    // Only called for a handle that was pinned, so its slot exists and is
    // still the one that was pinned.
    TheTable().Unpin(*TheTable().Find(IndexOf(handle)), IndexOf(handle));
}

} // namespace Detail

HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object) {
    Slots& table = TheTable();
    std::uint32_t index = table.Reserve();
    if (index == 0)
        return nullptr;
    Slot& slot = *table.Find(index);
    std::uint32_t generation = ((Slots::Previous(slot) >> 5) + 1) & GenerationMask;
    auto kind = static_cast<std::uint32_t>(object->Kind);
    Slots::Publish(slot, std::move(object), Identity(generation, kind));
    return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(
        index | (kind << 16) | ((generation & HandleGenerationMask) << 20)));
}

bool RemoveGdiObject(HGDIOBJ handle, GdiKind kind) {
    Decoded found = Decode(handle, kind);
    // Killed and pinned in one step, so that the object can be retired.
    if (!found.Where || !Slots::Kill(*found.Where, Matching(found))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    found.Where->Held->Retire();
    // This thread's own entry goes now, unless a GdiRef holds it.
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    for (int i = 0; i < GdiCacheSize; ++i) {
        const Detail::GdiCacheEntry& entry = ThreadGdiCache.Entries[static_cast<size_t>(i)];
        if (entry.Handle == value && entry.Uses == 0)
            Drop(i);
    }
    Detail::UnpinGdiSlot(handle);
    return true;
}

} // namespace WinApi
