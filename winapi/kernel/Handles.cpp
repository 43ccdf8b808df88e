// The process-wide handle table.
#include "kernel/KernelObject.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace WinApi {
namespace {

struct HandleTable {
    std::mutex Lock;
    std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> Objects;
    std::uintptr_t NextValue = 4;
};

HandleTable& Table() {
    // Never destroyed: handles may still be used while the process ends.
    static auto* table = new HandleTable;
    return *table;
}

std::uintptr_t ValueOf(HANDLE handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

} // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& table = Table();
    std::lock_guard guard(table.Lock);
    std::uintptr_t value = table.NextValue;
    table.NextValue += 4;
    table.Objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard guard(table.Lock);
    auto found = table.Objects.find(ValueOf(handle));
    if (found == table.Objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second;
}

bool RemoveHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> released;
    HandleTable& table = Table();
    {
        std::lock_guard guard(table.Lock);
        auto found = table.Objects.find(ValueOf(handle));
        if (found == table.Objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        // The object is destroyed outside the lock, so that its destructor may
        // itself use handles.
        released = std::move(found->second);
        table.Objects.erase(found);
    }
    return true;
}

} // namespace WinApi

BOOL WINAPI CloseHandle(HANDLE hObject) {
    return WinApi::RemoveHandle(hObject) ? TRUE : FALSE;
}
