// Kernel objects and the handle table.
//
// Every HANDLE that kernel32 gives out names an entry of one process-wide
// table; the entry holds the object by shared ownership, so an object stays
// alive while a call that looked it up still uses it, even if another thread
// closes the handle meanwhile. Look-ups take no lock. Handle values are
// multiples of four, as on Windows, and never the value of
// INVALID_HANDLE_VALUE.
#pragma once

#include <windows.h>

#include <memory>

namespace WinApi {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// Enters the object in the table and returns its new handle.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle, or null (with ERROR_INVALID_HANDLE set) when
// the handle is not open or names an object of another kind.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

// The object behind a handle, kept alive without touching its reference
// count until UnpinHandle; null (with ERROR_INVALID_HANDLE) when the handle
// is not open. For calls that only look at the object.
KernelObject* PinHandle(HANDLE handle);
void UnpinHandle(HANDLE handle);

// A pinned handle's object of kind T (null when the handle is not open or
// names another kind), held for a scope.
template <class T>
class PinnedHandle {
public:
    explicit PinnedHandle(HANDLE handle) : Handle(handle), Pinned(PinHandle(handle)) {
        Object = dynamic_cast<T*>(Pinned);
        if (!Object)
            SetLastError(ERROR_INVALID_HANDLE);
    }
    ~PinnedHandle() {
        if (Pinned)
            UnpinHandle(Handle);
    }
    PinnedHandle(const PinnedHandle&) = delete;
    PinnedHandle& operator=(const PinnedHandle&) = delete;

    T* operator->() const { return Object; }
    explicit operator bool() const { return Object != nullptr; }

private:
    HANDLE Handle;
    KernelObject* Pinned;
    T* Object = nullptr;
};

template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
    auto object = std::dynamic_pointer_cast<T>(LookupHandle(handle));
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

// Drops the table's reference; false (with ERROR_INVALID_HANDLE) when the
// handle was not open.
bool RemoveHandle(HANDLE handle);

// The Windows error code for a POSIX errno value.
DWORD ErrorFromErrno(int error);

} // namespace WinApi
