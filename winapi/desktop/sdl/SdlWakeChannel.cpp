#include "desktop/sdl/SdlWakeChannel.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace WinApi {

SdlWakeChannel::SdlWakeChannel() : Doorbell(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SdlWakeChannel::~SdlWakeChannel() {
    if (Doorbell >= 0)
        ::close(Doorbell);
}

void SdlWakeChannel::Wake() {
    // The mark is set before the ring, so the desktop sees it when it answers.
    Drawn.store(true, std::memory_order_release);
    Ring();
}

void SdlWakeChannel::Ring() {
    std::uint64_t one = 1;
    // Fails only when the counter is full, and then it is rung already.
    [[maybe_unused]] ssize_t written = ::write(Doorbell, &one, sizeof one);
}

bool SdlWakeChannel::Answer() {
    std::uint64_t rings = 0;
    [[maybe_unused]] ssize_t got = ::read(Doorbell, &rings, sizeof rings);
    return Drawn.exchange(false, std::memory_order_acquire);
}

} // namespace WinApi
