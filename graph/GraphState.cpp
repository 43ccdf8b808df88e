// Definitions of the kernel's state: zero at program start, except where a
// value is given.
#include "graph/GraphState.h"

namespace Graph {

std::int16_t GraphResult = GraphOk;

std::int16_t IntCurrentDriver = 0;
std::int16_t IntCurrentNewDriver = 0;
std::int16_t IntCurrentMode = 0;
std::int16_t MaxX = 0;
std::int16_t MaxY = 0;
std::int32_t MaxColor = 0;
std::int32_t PaletteSize = 0;
bool DirectColor = false;
std::uint8_t HardwarePages = 0;
std::uint16_t XAspect = 0;
std::uint16_t YAspect = 0;
bool IsGraphMode = false;
Runtime::ShortString<255> DriverName;
Runtime::ShortString<255> GraphPath = ".";
bool FirstCallOfInitGraph = true;

std::int16_t StartXViewPort = 0;
std::int16_t StartYViewPort = 0;
std::int16_t ViewWidth = 0;
std::int16_t ViewHeight = 0;
bool ClipPixels = false;
std::int16_t CurrentX = 0;
std::int16_t CurrentY = 0;

LineSettingsType LineInfo;
bool LinePatterns[16] = {true, true, true, true, true, true, true, true,
                         true, true, true, true, true, true, true, true};
FillSettingsType FillSettings;

std::uint16_t CurrentColor = 0;
std::uint16_t CurrentBkColor = 0;
std::int16_t CurrentWriteMode = 0;
TextInfoType CurrentTextInfo;
ArcCoordsType ArcCall;

} // namespace Graph
