// Resources that a test can make unavailable, as a full class table or a
// display out of memory for bitmaps would: RegisterClassA and
// CreateCompatibleBitmap then fail with ERROR_NOT_ENOUGH_MEMORY. Set only
// through the headless desktop's test API; nothing in a program sets them.
// Kept beside the objects whose creation it refuses, so that user32 and gdi32
// need not know any desktop to honour it.
#pragma once

#include <atomic>

namespace WinApi::TestRefusals {

inline std::atomic<bool> ClassRegistration{false};
inline std::atomic<bool> Bitmaps{false};

} // namespace WinApi::TestRefusals
