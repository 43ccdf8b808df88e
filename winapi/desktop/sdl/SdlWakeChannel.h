// Wakes the desktop thread from any thread: a doorbell, an eventfd that the
// desktop thread waits on, rung both for requests and for drawing. Drawing
// also leaves a mark that asks for a present. Shared with every surface's
// Wake, so it outlives the desktop; ringing it after the desktop has ended
// does nothing.
#pragma once

#include <atomic>

namespace WinApi {

class SdlWakeChannel {
public:
    SdlWakeChannel();
    ~SdlWakeChannel();
    SdlWakeChannel(const SdlWakeChannel&) = delete;
    SdlWakeChannel& operator=(const SdlWakeChannel&) = delete;

    // Something was drawn: a present is due.
    void Wake();
    // A request waits in the queue.
    void Ring();
    // For poll(); readable while a ring is unanswered.
    int Descriptor() const { return Doorbell; }
    // Silences the doorbell; true when something was drawn since the last
    // answer.
    bool Answer();

private:
    std::atomic<bool> Drawn{false};
    int Doorbell = -1;
};

} // namespace WinApi
