// An in-memory display driver for the kernel's tests: mode records whose
// pixel operations write a framebuffer kept here, and the driver entry points
// (QueryAdapterInfo, CloseDriver) that the kernel calls.
#pragma once

#include "graph/Graph.h"

#include <cstdint>
#include <vector>

namespace MemoryDriver {

// The framebuffer of the mode last set up: colour indices, row by row.
extern int Width;
extern int Height;
extern std::vector<std::uint16_t> Frame;
extern Graph::RGBEntry Palette[256];

// Modes that QueryAdapterInfo registers, in order.
extern std::vector<Graph::TModeInfo> ModesToRegister;

// Counters and switches for the set-up and the teardown.
extern int InitModeCalls;
extern int CloseDriverCalls;
extern bool FailInitMode; // InitModeProc reports GraphError

// A mode record with the memory operations in the five mandatory slots and
// the set-up operation.
Graph::TModeInfo MakeMode(std::int16_t driver, std::int16_t mode, std::uint16_t maxX,
                          std::uint16_t maxY, std::int32_t colors);

std::uint16_t PixelAt(int x, int y); // 0 outside the frame

// The operations, screen or viewport coordinates as their slots say.
void DirectPutPixel(std::int16_t x, std::int16_t y);
void PutPixel(std::int16_t x, std::int16_t y, std::uint16_t color);
std::uint16_t GetPixel(std::int16_t x, std::int16_t y);
void SetRGBPalette(std::int16_t colorNum, std::int16_t red, std::int16_t green, std::int16_t blue);
void GetRGBPalette(std::int16_t colorNum, std::int16_t& red, std::int16_t& green,
                   std::int16_t& blue);
void InitModeProc();

} // namespace MemoryDriver
