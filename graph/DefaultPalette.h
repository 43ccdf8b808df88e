// The kernel's constant table of 256 colours: the initial palette of every
// mode and the source of the background colour.
#pragma once

#include <cstdint>

namespace Graph {

struct RGBEntry {
    std::int16_t Red;
    std::int16_t Green;
    std::int16_t Blue;
};

extern const RGBEntry DefaultColors[256];

} // namespace Graph
