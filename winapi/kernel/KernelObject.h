// Kernel objects and the handle table.
//
// Every HANDLE that kernel32 gives out names an entry of one process-wide
// table; the entry holds the object by shared ownership, so an object stays
// alive while a call that looked it up still uses it, even if another thread
// closes the handle meanwhile. Handle values are small multiples of four, as
// on Windows, and never the value of INVALID_HANDLE_VALUE.
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
