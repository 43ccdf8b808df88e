// Saving a picture as a PNG file, whole or not at all: it is written to a
// temporary file beside its destination and renamed over it when complete,
// so that a reader never sees half a file and a failure leaves nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace WinApi {

// Writes width × height pixels (0x00RRGGBB, row by row) as an 8-bit RGB PNG
// to path. Answers "" on success, otherwise what went wrong, for a person.
std::string WritePngFile(const std::string& path, int width, int height,
                         const std::vector<std::uint32_t>& pixels);

} // namespace WinApi
