// The viewport, clipping to it, the mode-size queries and the background
// colour. Every device-independent drawing operation clips with
// DirectPutPixelClip or LineClipped.
#pragma once

#include <cstdint>

namespace Graph {

struct ViewPortType {
    std::int16_t X1 = 0;
    std::int16_t Y1 = 0;
    std::int16_t X2 = 0;
    std::int16_t Y2 = 0;
    bool Clip = false;
};

void SetViewPort(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2, bool clip);
void GetViewSettings(ViewPortType& viewport);
std::int16_t GetMaxX();
std::int16_t GetMaxY();
std::uint16_t GetMaxColor();
void SetBkColor(std::uint16_t color);

// Screen coordinates; drops the pixel outside the viewport when clipping.
void DirectPutPixelClip(std::int16_t x, std::int16_t y);

// Cohen–Sutherland on an inclusive rectangle: true when nothing of the segment
// lies inside; otherwise false with the segment shortened in place.
bool LineClipped(std::int16_t& x1, std::int16_t& y1, std::int16_t& x2, std::int16_t& y2,
                 std::int16_t xmin, std::int16_t ymin, std::int16_t xmax, std::int16_t ymax);

// LineClipped against the current viewport, the segment given in screen
// coordinates.
bool LineClippedToViewPort(std::int16_t& x1, std::int16_t& y1, std::int16_t& x2, std::int16_t& y2);

// The video-state operations of a display that needs none.
void SaveState();
void RestoreState();

} // namespace Graph
