// GDI objects and their handle table.
//
// A GDI handle is a 32-bit value that packs a slot index (bits 0-15), the
// object's kind (bits 16-19) and the low 12 bits of the slot's generation
// (bits 20-31). Each slot has one state word: its full 27-bit generation,
// the kind, a live bit and a count of pins. A lookup goes straight to the
// slot and pins it with one compare-and-swap on that word; a handle whose
// generation or kind does not match is refused. No lock is taken on that
// path: the table's mutex only guards the list of free slots, which creating
// and deleting objects use.
//
// Device contexts, which every drawing call looks up, are found without any
// read-modify-write: each thread keeps a few recently looked-up contexts
// together with a strong reference to each and the state word (generation,
// kind, live bit) that its slot had then. A hit only loads the slot's state
// word and compares it; deleting the context clears the live bit and reusing
// the slot changes the generation, so a dead or reused handle misses and goes
// the pinning way, where it is refused or found anew. The strong reference
// keeps the object alive for the calls in flight on that thread; a dead
// entry is dropped on that thread's next miss, when it is evicted, or when
// the thread ends. Deleting an object calls its Retire first, with which a
// device context lets go of its bitmap and tools at once, so what such an
// entry keeps alive for a while is small.
//
// Deleting an object kills its handle at once; the object itself is released
// when the last pin (and the last cached reference) goes, so a call that
// looked it up on another thread finishes with it safely. Freed slots are
// reused oldest first, which keeps a stale handle from matching a new object
// for as long as possible.
//
// Objects are held by shared ownership: a device context keeps the pen,
// brush and bitmap that are selected into it even after their handles have
// been deleted, as Windows lets a program delete a selected object.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace WinApi {

enum class GdiKind : std::uint32_t { DeviceContext = 1, Bitmap, Pen, Brush, Region };

class GdiObject {
public:
    explicit GdiObject(GdiKind kind) : Kind(kind) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    const GdiKind Kind;
    // Stock objects live for the whole process; deleting one does nothing.
    bool Stock = false;

    // Called once, by RemoveGdiObject, right after the handle has been
    // killed: what the object must give up at deletion rather than at
    // destruction, which cached references may put off.
    virtual void Retire() {}
};

// The kind that a handle value claims to be; not a validity check.
inline GdiKind KindOfHandle(const void* handle) {
    return static_cast<GdiKind>((reinterpret_cast<std::uintptr_t>(handle) >> 16) & 0xF);
}

// Enters an object in the table: its new handle, or null with
// ERROR_NOT_ENOUGH_MEMORY when the table is full.
HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object);

// Kills a handle. False with ERROR_INVALID_HANDLE when it is not open or not
// of that kind.
bool RemoveGdiObject(HGDIOBJ handle, GdiKind kind);

namespace Detail {
// What a lookup found: the object (null when refused, with
// ERROR_INVALID_HANDLE), the shared pointer that owns it, and how it is held:
// by a count of uses of this thread's cache entry, or by a pin on the slot.
struct GdiLookup {
    GdiObject* Object = nullptr;
    const std::shared_ptr<GdiObject>* Owner = nullptr;
    unsigned* CacheUses = nullptr;
    const void* PinnedHandle = nullptr;
};

// This thread's cache of device contexts. The entries hold nothing that
// needs destroying, so that the hot path below reaches them with a plain
// thread-local access; the strong references are kept apart (GdiHandles.cpp)
// and only a miss touches them.
struct GdiCacheEntry {
    std::uintptr_t Handle = 0; // 0: empty
    const std::atomic<std::uint64_t>* State = nullptr;
    std::uint32_t Identity = 0; // the high half of State when cached
    GdiObject* Object = nullptr;
    const std::shared_ptr<GdiObject>* Owner = nullptr;
    unsigned Uses = 0; // GdiRefs on this thread that hold the entry
};
constexpr int GdiCacheSize = 4;
struct GdiCache {
    std::array<GdiCacheEntry, GdiCacheSize> Entries{};
    unsigned NextVictim = 0;
    // Set when the thread's strong references are gone: from then on nothing
    // is cached.
    bool Closed = false;
};
extern constinit thread_local GdiCache ThreadGdiCache;

inline bool StillLive(const GdiCacheEntry& entry) {
    return static_cast<std::uint32_t>(entry.State->load(std::memory_order_acquire) >> 32) ==
           entry.Identity;
}

// The pinning way, and the way of every kind but device contexts.
GdiLookup MissGdiObject(const void* handle, GdiKind kind);

// Every drawing call looks up its device context, so the cache's hit is
// inline: a value that claims the right kind is never 0, the mark of an
// empty entry.
inline GdiLookup LookUpGdiObject(const void* handle, GdiKind kind) {
    if (kind == GdiKind::DeviceContext && KindOfHandle(handle) == kind) {
        const auto value = reinterpret_cast<std::uintptr_t>(handle);
        for (GdiCacheEntry& entry : ThreadGdiCache.Entries) {
            if (entry.Handle == value && StillLive(entry)) {
                ++entry.Uses;
                return {entry.Object, entry.Owner, &entry.Uses, nullptr};
            }
        }
    }
    return MissGdiObject(handle, kind);
}

void UnpinGdiSlot(const void* handle);
} // namespace Detail

// A looked-up object, kept alive until this goes out of scope.
template <class T>
class GdiRef {
public:
    GdiRef(const void* handle, GdiKind kind) : Found(Detail::LookUpGdiObject(handle, kind)) {}
    ~GdiRef() {
        if (Found.CacheUses)
            --*Found.CacheUses;
        else if (Found.PinnedHandle)
            Detail::UnpinGdiSlot(Found.PinnedHandle);
    }
    GdiRef(const GdiRef&) = delete;
    GdiRef& operator=(const GdiRef&) = delete;

    explicit operator bool() const { return Found.Object != nullptr; }
    T* operator->() const { return static_cast<T*>(Found.Object); }
    T& operator*() const { return *operator->(); }
    std::shared_ptr<T> Share() const { return std::static_pointer_cast<T>(*Found.Owner); }

private:
    Detail::GdiLookup Found;
};

} // namespace WinApi
