// The text file record: one record type serves disk files, the standard
// handles and the console device. The text-file layer (TextFile.h) buffers
// characters in the record and calls the record's operations to move them to
// or from the device behind it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace Runtime {

constexpr std::uint32_t ModeClosed = 0xD7B0;
constexpr std::uint32_t ModeInput = 0xD7B1;
constexpr std::uint32_t ModeOutput = 0xD7B2;
constexpr std::uint32_t ModeInOut = 0xD7B3;
constexpr std::uint32_t ModeAppend = 0xD7B4;

constexpr std::int32_t TextBufferSize = 256;

struct TextRec;

// A device operation. The result is not looked at by the layer: failures
// travel through InOutRes.
using TextFunc = std::int32_t (*)(TextRec& file);

struct TextRec {
    HANDLE Handle = INVALID_HANDLE_VALUE;
    std::uint32_t Mode = ModeClosed;
    std::int32_t BufSize = TextBufferSize;
    std::int32_t BufPos = 0;
    std::int32_t BufEnd = 0;
    char* BufPtr = Buffer;
    TextFunc OpenFunc = nullptr;
    TextFunc InOutFunc = nullptr;
    TextFunc FlushFunc = nullptr;
    TextFunc CloseFunc = nullptr;
    char Name[256] = {};
    char Buffer[TextBufferSize] = {};
};

} // namespace Runtime
