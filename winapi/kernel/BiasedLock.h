// A lock for what one thread takes again and again and others rarely: the
// critical sections, device contexts and client surfaces, which the thread
// that draws takes for every pixel. So that
// thread may come to own the lock's bias: it then takes and gives back the
// lock with plain loads and stores, no read-modify-write at all. Any other
// thread takes the lock word with a compare-and-swap, and where a thread
// holds the bias it then makes every thread of the process pass a memory
// barrier (one system call), after which the owner's plain store that says
// it is inside is visible, and waits for it to leave; it also withdraws the
// bias, which the drawing thread wins back after a run of takings of its
// own. So the owner's fast taking and another thread's taking exclude each
// other as two compare-and-swaps would; the cost falls on the rare taker.
// Without that system call no bias is ever given.
//
// The lock word is 0 when free, 1 when taken, 2 when taken and a thread may
// sleep on it. The owner says it is inside on a word of its own, likewise 0,
// 1 or 2: each lock keeps a few such words, each given for good to the first
// thread that wins the bias with it. A word never changes hands because a
// former owner may still be on its way in, having read that it owns the bias
// just before it was withdrawn: it then marks itself inside, sees that it no
// longer owns the bias and marks itself out again, and must do that on its
// own word, never on the one a new owner is using. A lock whose words are
// all given keeps its bias among their threads. A waiter spins briefly, then
// sleeps on the word. Whoever lets go wakes a sleeper when it saw 2; a
// sleeper that marked the word just after that look is not woken, so every
// sleep is bounded and the sleeper looks again when it ends: that rare race
// costs at most one short sleep, never the lock.
#pragma once

#include <atomic>
#include <cstdint>

namespace WinApi {

class BiasedLock {
public:
    void lock() {
        if (EnterOwned())
            return;
        std::uint32_t expected = 0;
        if (!Word.compare_exchange_strong(expected, 1, std::memory_order_acquire,
                                          std::memory_order_relaxed))
            Contended();
        Taken(true);
    }
    bool try_lock() {
        if (EnterOwned())
            return true;
        std::uint32_t expected = 0;
        if (Word.load(std::memory_order_relaxed) != 0 ||
            !Word.compare_exchange_strong(expected, 1, std::memory_order_acquire,
                                          std::memory_order_relaxed))
            return false;
        return Taken(false);
    }
    void unlock() {
        // While the owner is inside, nobody withdraws its bias.
        if (OwnerWord* owner = Owner.load(std::memory_order_relaxed)) {
            const std::uint32_t inside = owner->Inside.load(std::memory_order_relaxed);
            if (inside != 0 && owner->Thread.load(std::memory_order_relaxed) == Me()) {
                LeaveOwned(*owner, inside);
                return;
            }
        }
        const bool sleepers = Word.load(std::memory_order_relaxed) == 2;
        Word.store(0, std::memory_order_release);
        if (sleepers)
            WakeSleeper(Word);
    }

private:
    // A thread's word for saying it is inside: Thread is set once, under the
    // lock word, and never changes.
    struct OwnerWord {
        std::atomic<const void*> Thread{nullptr};
        std::atomic<std::uint32_t> Inside{0};
    };

    // An address unique to each living thread.
    static const void* Me() {
        static thread_local char marker;
        return &marker;
    }

    // The owner's way in: says it is inside, then checks that nobody holds
    // the word and that the bias is still its own.
    bool EnterOwned() {
        OwnerWord* owner = Owner.load(std::memory_order_relaxed);
        if (!owner || owner->Thread.load(std::memory_order_relaxed) != Me())
            return false;
        owner->Inside.store(1, std::memory_order_relaxed);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        if (Word.load(std::memory_order_acquire) == 0 &&
            Owner.load(std::memory_order_relaxed) == owner)
            return true;
        LeaveOwned(*owner, owner->Inside.load(std::memory_order_relaxed));
        return false;
    }
    // inside: what the owner's word held just now; 2 asks for a wake.
    static void LeaveOwned(OwnerWord& owner, std::uint32_t inside) {
        owner.Inside.store(0, std::memory_order_release);
        if (inside == 2)
            WakeSleeper(owner.Inside);
    }

    void Contended();
    // With the word held: waits for (or, when may not wait, gives up to) an
    // owner that is inside, and keeps the bias's bookkeeping.
    bool Taken(bool mayWait);
    static void WakeSleeper(std::atomic<std::uint32_t>& word);

    std::atomic<std::uint32_t> Word{0};
    // Under the word: how many times in a row LastTaker took it.
    std::uint32_t Run = 0;
    const void* LastTaker = nullptr;
    std::atomic<OwnerWord*> Owner{nullptr};
    OwnerWord OwnerWords[2];
};

} // namespace WinApi
