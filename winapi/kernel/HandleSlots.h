// The slots behind a handle table, shared by the kernel's handles and the
// GDI's objects: chunks of slots that are allocated as the table grows and
// never freed, so that a look-up reaches its slot without a lock.
//
// Each slot has one state word. Its high half says who lives there, in the
// table's own encoding (a generation, perhaps a kind), with bit 0 the live
// bit; its low half counts the pins. A look-up pins the slot with one
// compare-and-swap while the high half matches its handle; killing the
// handle clears the live bit and pins in the same step; whoever drops the
// last pin of a dead slot lets the object go and returns the slot to the
// free list. The table's mutex guards only that list, which reserving and
// freeing slots use. Free slots are reused oldest first, so that a stale
// handle matches a new object as late as possible.
//
// This knows nothing of handle values: each table decodes its own into an
// index and the high half it expects.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <new>

namespace WinApi {

template <class Object>
class HandleSlots {
public:
    static constexpr std::uint32_t IndexBits = 16;
    static constexpr std::uint32_t LiveBit = 1; // in the high half

    // A slot of its own cache line: threads that poll different handles do
    // not slow each other down.
    struct alignas(64) Slot {
        std::atomic<std::uint64_t> State{0};
        std::shared_ptr<Object> Held; // written only while reserved and unpinned
        bool Used = false;            // by the one who reserved it
    };

    // The slot at index, or null where no chunk has been allocated.
    Slot* Find(std::uint32_t index) const {
        if (index == 0 || index >= (1u << IndexBits))
            return nullptr;
        Slot* chunk = Chunks[index / SlotsPerChunk].load(std::memory_order_acquire);
        return chunk ? &chunk[index % SlotsPerChunk] : nullptr;
    }

    // Takes a free slot for the caller alone, to fill and then Publish: its
    // index, or 0 with ERROR_NOT_ENOUGH_MEMORY when the table is full or a
    // chunk cannot be had.
    std::uint32_t Reserve() {
        std::lock_guard guard(Lock);
        if (!Free.empty()) {
            std::uint32_t index = Free.front();
            Free.pop_front();
            return index;
        }
        if (NextUnused < (1u << IndexBits)) {
            std::atomic<Slot*>& chunk = Chunks[NextUnused / SlotsPerChunk];
            if (!chunk.load(std::memory_order_relaxed)) {
                Slot* fresh = new (std::nothrow) Slot[SlotsPerChunk];
                if (fresh)
                    chunk.store(fresh, std::memory_order_release);
            }
            if (chunk.load(std::memory_order_relaxed))
                return NextUnused++;
        }
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }

    // The high half the reserved slot had when it was last published, 0 if
    // never: from it the table draws the next generation.
    static std::uint32_t Previous(const Slot& slot) {
        return static_cast<std::uint32_t>(slot.State.load(std::memory_order_relaxed) >> 32);
    }

    // Makes a reserved slot live with its object, unpinned.
    static void Publish(Slot& slot, std::shared_ptr<Object> object, std::uint32_t high) {
        slot.Used = true;
        slot.Held = std::move(object);
        slot.State.store(static_cast<std::uint64_t>(high) << 32, std::memory_order_release);
    }

    // Pins the slot while its high half passes matches (which must require
    // the live bit), or kills it and pins it in one step: false when it does
    // not match.
    template <class Matches>
    static bool Pin(Slot& slot, Matches matches) {
        std::uint64_t state = slot.State.load(std::memory_order_relaxed);
        while (matches(static_cast<std::uint32_t>(state >> 32))) {
            if (slot.State.compare_exchange_weak(state, state + 1, std::memory_order_acquire,
                                                 std::memory_order_relaxed))
                return true;
        }
        return false;
    }
    template <class Matches>
    static bool Kill(Slot& slot, Matches matches) {
        std::uint64_t state = slot.State.load(std::memory_order_relaxed);
        while (matches(static_cast<std::uint32_t>(state >> 32))) {
            std::uint64_t dead = (state & ~(std::uint64_t{LiveBit} << 32)) + 1;
            if (slot.State.compare_exchange_weak(state, dead, std::memory_order_acq_rel,
                                                 std::memory_order_relaxed))
                return true;
        }
        return false;
    }

    // Drops a pin: the last pin of a dead slot lets its object go and frees
    // the slot.
    void Unpin(Slot& slot, std::uint32_t index) {
        std::uint64_t before = slot.State.fetch_sub(1, std::memory_order_acq_rel);
        if (((before >> 32) & LiveBit) != 0 || (before & 0xFFFFFFFF) != 1)
            return;
        std::shared_ptr<Object> released = std::move(slot.Held);
        {
            std::lock_guard guard(Lock);
            Free.push_back(index);
        }
        // released is destroyed here, outside the lock, so that its
        // destructor may itself use handles.
    }

private:
    static constexpr std::uint32_t SlotsPerChunk = 256;

    std::array<std::atomic<Slot*>, (1u << IndexBits) / SlotsPerChunk> Chunks{};
    std::mutex Lock;
    std::deque<std::uint32_t> Free;
    std::uint32_t NextUnused = 1; // index 0 is never handed out
};

} // namespace WinApi
