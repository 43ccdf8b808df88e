// The process-wide handle table, on the slots of HandleSlots.h: a slot's
// state names its generation above the live bit. A look-up pins the slot
// when the handle's generation matches and the slot is live; closing a
// handle kills the slot, and the object is let go by whoever drops the last
// pin. A handle value is four times the slot's
// index plus the low bits of its generation above that, so the first handle
// of every slot is a small multiple of four.
#include "kernel/HandleSlots.h"
#include "kernel/KernelObject.h"

namespace WinApi {
namespace {

using Slots = HandleSlots<KernelObject>;
constexpr std::uint32_t IndexMask = (1u << Slots::IndexBits) - 1;
// A handle carries the low 14 bits of its slot's generation; the slot keeps
// 31.
constexpr std::uint32_t HandleGenerationMask = 0x3FFF;
constexpr std::uint32_t GenerationMask = 0x7FFFFFFF;

Slots& Table() {
    // Never destroyed: handles may still be used while the process ends.
    static auto* table = new Slots;
    return *table;
}

struct Decoded {
    Slots::Slot* Where = nullptr;
    std::uint32_t Index = 0;
    std::uint32_t Generation = 0; // its low bits, as the handle has them
};

Decoded Decode(HANDLE handle) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    if ((value & 3) != 0 || (value >> 32) != 0)
        return {};
    auto index = static_cast<std::uint32_t>((value >> 2) & IndexMask);
    return {Table().Find(index), index,
            static_cast<std::uint32_t>(value >> (Slots::IndexBits + 2))};
}

// The slot's high half holds the generation above the live bit.
auto Matching(const Decoded& found) {
    return [generation = found.Generation](std::uint32_t high) {
        return (high & Slots::LiveBit) && ((high >> 1) & HandleGenerationMask) == generation;
    };
}

} // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    Slots& table = Table();
    std::uint32_t index = table.Reserve();
    if (index == 0)
        return nullptr;
    Slots::Slot& slot = *table.Find(index);
    std::uint32_t generation = slot.Used ? ((Slots::Previous(slot) >> 1) + 1) & GenerationMask : 0;
    Slots::Publish(slot, std::move(object), (generation << 1) | Slots::LiveBit);
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(
        (index << 2) | ((generation & HandleGenerationMask) << (Slots::IndexBits + 2))));
}

KernelObject* PinHandle(HANDLE handle) {
    Decoded found = Decode(handle);
    if (found.Where && Slots::Pin(*found.Where, Matching(found)))
        return found.Where->Held.get();
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

void UnpinHandle(HANDLE handle) {
    // Only called for a pinned handle, so the decoding cannot fail.
    Decoded found = Decode(handle);
    Table().Unpin(*found.Where, found.Index);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    if (!PinHandle(handle))
        return nullptr;
    std::shared_ptr<KernelObject> object = Decode(handle).Where->Held;
    UnpinHandle(handle);
    return object;
}

bool RemoveHandle(HANDLE handle) {
    Decoded found = Decode(handle);
    // The unpin lets the object go unless a look-up on another thread still
    // holds it.
    if (found.Where && Slots::Kill(*found.Where, Matching(found))) {
        Table().Unpin(*found.Where, found.Index);
        return true;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

} // namespace WinApi

BOOL WINAPI CloseHandle(HANDLE hObject) {
    return WinApi::RemoveHandle(hObject) ? TRUE : FALSE;
}
