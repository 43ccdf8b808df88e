#include "tests/graph/MemoryDriver.h"

#include "graph/DisplayDriver.h"

namespace MemoryDriver {

int Width = 0;
int Height = 0;
std::vector<std::uint16_t> Frame;
Graph::RGBEntry Palette[256];
std::vector<Graph::TModeInfo> ModesToRegister;
int InitModeCalls = 0;
int CloseDriverCalls = 0;
bool FailInitMode = false;

Graph::TModeInfo MakeMode(std::int16_t driver, std::int16_t mode, std::uint16_t maxX,
                          std::uint16_t maxY, std::int32_t colors) {
    Graph::TModeInfo record;
    Graph::InitMode(record);
    record.DriverNumber = driver;
    record.ModeNumber = mode;
    record.MaxX = maxX;
    record.MaxY = maxY;
    record.MaxColor = colors;
    record.PaletteSize = colors;
    record.XAspect = 10000;
    record.YAspect = 10000;
    record.DirectPutPixel = DirectPutPixel;
    record.PutPixel = PutPixel;
    record.GetPixel = GetPixel;
    record.SetRGBPalette = SetRGBPalette;
    record.GetRGBPalette = GetRGBPalette;
    record.InitModeProc = InitModeProc;
    return record;
}

std::uint16_t PixelAt(int x, int y) {
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return 0;
    return Frame[static_cast<size_t>(y * Width + x)];
}

namespace {

std::uint16_t* PixelSlot(int x, int y) {
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return nullptr;
    return &Frame[static_cast<size_t>(y * Width + x)];
}

} // namespace

void DirectPutPixel(std::int16_t x, std::int16_t y) {
    std::uint16_t* pixel = PixelSlot(x, y);
    if (!pixel)
        return;
    switch (Graph::CurrentWriteMode) {
    case 1:
        *pixel ^= Graph::CurrentColor;
        break;
    case 2:
        *pixel |= Graph::CurrentColor;
        break;
    case 3:
        *pixel &= Graph::CurrentColor;
        break;
    case 4:
        *pixel = static_cast<std::uint16_t>(~Graph::CurrentColor);
        break;
    default:
        *pixel = Graph::CurrentColor;
        break;
    }
}

void PutPixel(std::int16_t x, std::int16_t y, std::uint16_t color) {
    int sx = x + Graph::StartXViewPort;
    int sy = y + Graph::StartYViewPort;
    if (Graph::ClipPixels &&
        (sx < Graph::StartXViewPort || sx > Graph::StartXViewPort + Graph::ViewWidth ||
         sy < Graph::StartYViewPort || sy > Graph::StartYViewPort + Graph::ViewHeight))
        return;
    if (std::uint16_t* pixel = PixelSlot(sx, sy))
        *pixel = color;
}

std::uint16_t GetPixel(std::int16_t x, std::int16_t y) {
    return PixelAt(x + Graph::StartXViewPort, y + Graph::StartYViewPort);
}

void SetRGBPalette(std::int16_t colorNum, std::int16_t red, std::int16_t green, std::int16_t blue) {
    if (colorNum < 0 || colorNum >= Graph::MaxColor || colorNum > 255) {
        Graph::GraphResult = Graph::GraphError;
        return;
    }
    Palette[colorNum] = {red, green, blue};
}

void GetRGBPalette(std::int16_t colorNum, std::int16_t& red, std::int16_t& green,
                   std::int16_t& blue) {
    if (colorNum < 0 || colorNum >= Graph::MaxColor || colorNum > 255) {
        Graph::GraphResult = Graph::GraphError;
        return;
    }
    red = Palette[colorNum].Red;
    green = Palette[colorNum].Green;
    blue = Palette[colorNum].Blue;
}

void InitModeProc() {
    ++InitModeCalls;
    if (FailInitMode) {
        Graph::GraphResult = Graph::GraphError;
        return;
    }
    Width = Graph::MaxX + 1;
    Height = Graph::MaxY + 1;
    Frame.assign(static_cast<size_t>(Width * Height), 0);
    for (int i = 0; i < 256; ++i)
        Palette[i] = Graph::DefaultColors[i];
}

} // namespace MemoryDriver

namespace Graph {

void QueryAdapterInfo() {
    SaveVideoState = SaveState;
    RestoreVideoState = RestoreState;
    if (ModeList)
        return;
    for (const TModeInfo& record : MemoryDriver::ModesToRegister)
        AddMode(record);
}

void CloseDriver() {
    ++MemoryDriver::CloseDriverCalls;
}

} // namespace Graph
