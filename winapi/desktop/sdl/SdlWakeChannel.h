// Wakes the desktop thread from any thread. A wake from drawing pushes the
// desktop's own SDL event (once SDL has started and until it stops) and rings
// a doorbell, an eventfd that the desktop thread waits on; a request only
// rings. Shared with every surface's Wake, so it outlives the desktop.
#pragma once

#include <SDL2/SDL_stdinc.h>

#include <mutex>

namespace WinApi {

class SdlWakeChannel {
public:
    SdlWakeChannel();
    ~SdlWakeChannel();
    SdlWakeChannel(const SdlWakeChannel&) = delete;
    SdlWakeChannel& operator=(const SdlWakeChannel&) = delete;

    void Open(Uint32 eventType);
    void Close();
    void Wake();
    void Ring();
    // For poll(); readable while a ring is unanswered.
    int Descriptor() const { return Doorbell; }
    void Answer();

private:
    std::mutex Lock;
    bool IsOpen = false;
    Uint32 EventType = 0;
    int Doorbell = -1;
};

} // namespace WinApi
