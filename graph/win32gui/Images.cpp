// Images on the graph window: written into the back buffer alone, pixel by
// pixel through the direct pixel operation (which applies the write mode to
// the RGB values), and then shown by one repaint of the covered area instead
// of a screen write per pixel.
#include "graph/win32gui/Win32Gui.h"

#include "graph/GraphState.h"
#include "graph/Images.h"
#include "graph/Lines.h"

namespace Win32Gui {

void PutImageWin32GUI(std::int16_t x, std::int16_t y, const void* bitmap, std::uint16_t mode) {
    const Graph::ImagePlacement placement = Graph::PlaceImage(x, y, bitmap);
    Graph::AttributeSaver saver;
    Graph::CurrentWriteMode = static_cast<std::int16_t>(mode);
    // The pixel operation takes the lock again for each pixel.
    const bool drawn = WhileRunning([&] {
        const bool drawToScreen = DrawToScreen;
        DrawToScreen = false;
        Graph::PutImagePixels(placement, bitmap);
        DrawToScreen = drawToScreen;
    });
    // The repaint takes the lock on the message thread.
    if (!drawn || placement.Empty())
        return;
    const RECT area{placement.Left, placement.Top, placement.Right + 1, placement.Bottom + 1};
    InvalidateRect(MainWindow, &area, FALSE);
}

} // namespace Win32Gui
