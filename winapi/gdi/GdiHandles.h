// GDI objects and their handle table.
//
// A GDI handle is a 32-bit value that packs a slot index (bits 0-15), the
// object's kind (bits 16-19) and the slot's generation (bits 20-31). A lookup
// goes straight to the slot and pins it with one compare-and-swap on a word
// that holds the slot's generation, a live bit and a count of pins; a handle
// whose generation or kind does not match is refused. No lock is taken on
// that path: the table's mutex only guards the list of free slots, which
// creating and deleting objects use.
//
// Deleting an object kills its handle at once; the object itself is released
// when the last pin goes, so a call that looked it up on another thread
// finishes with it safely. Freed slots are reused oldest first, which keeps a
// stale handle from matching a new object for as long as possible.
//
// Objects are held by shared ownership: a device context keeps the pen,
// brush and bitmap that are selected into it even after their handles have
// been deleted, as Windows lets a program delete a selected object.
#pragma once

#include <windows.h>

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
// Pins the slot named by handle when it is open and of that kind: the
// object's shared pointer, or null (with ERROR_INVALID_HANDLE).
const std::shared_ptr<GdiObject>* PinGdiSlot(const void* handle, GdiKind kind);
void UnpinGdiSlot(const void* handle);
} // namespace Detail

// A looked-up object, kept alive until this goes out of scope.
template <class T>
class GdiRef {
public:
    GdiRef(const void* handle, GdiKind kind)
        : Handle(handle), Shared(Detail::PinGdiSlot(handle, kind)) {}
    ~GdiRef() {
        if (Shared)
            Detail::UnpinGdiSlot(Handle);
    }
    GdiRef(const GdiRef&) = delete;
    GdiRef& operator=(const GdiRef&) = delete;

    explicit operator bool() const { return Shared != nullptr; }
    T* operator->() const { return static_cast<T*>(Shared->get()); }
    T& operator*() const { return *operator->(); }
    std::shared_ptr<T> Share() const { return std::static_pointer_cast<T>(*Shared); }

private:
    const void* Handle;
    const std::shared_ptr<GdiObject>* Shared;
};

} // namespace WinApi
