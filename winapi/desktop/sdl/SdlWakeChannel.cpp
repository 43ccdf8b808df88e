#include "desktop/sdl/SdlWakeChannel.h"

#include <SDL2/SDL_events.h>

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace WinApi {

SdlWakeChannel::SdlWakeChannel() : Doorbell(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SdlWakeChannel::~SdlWakeChannel() {
    if (Doorbell >= 0)
        ::close(Doorbell);
}

void SdlWakeChannel::Open(Uint32 eventType) {
    std::lock_guard<std::mutex> lock(Lock);
    EventType = eventType;
    IsOpen = true;
}

void SdlWakeChannel::Close() {
    std::lock_guard<std::mutex> lock(Lock);
    IsOpen = false;
}

void SdlWakeChannel::Wake() {
    {
        std::lock_guard<std::mutex> lock(Lock);
        if (!IsOpen)
            return;
        SDL_Event event{};
        event.type = EventType;
        // A full queue already holds a wake.
        SDL_PushEvent(&event);
    }
    Ring();
}

void SdlWakeChannel::Ring() {
    std::uint64_t one = 1;
    // Fails only when the counter is full, and then it is rung already.
    [[maybe_unused]] ssize_t written = ::write(Doorbell, &one, sizeof one);
}

void SdlWakeChannel::Answer() {
    std::uint64_t rings = 0;
    [[maybe_unused]] ssize_t got = ::read(Doorbell, &rings, sizeof rings);
}

} // namespace WinApi
