// The font table. The built-in fonts are registered at start-up, and the
// fonts drawn for this system get their stroke data there, each entry its own
// copy, which the kernel's exit procedure frees; the other entries start
// without data.
#include "graph/Fonts.h"

#include "graph/DrawnFonts.h"
#include "graph/GraphState.h"

#include <algorithm>
#include <cassert>

namespace Graph {

std::int32_t InstalledFonts = 0;
TFontEntry Fonts[MaxFonts];

const std::string_view BuiltInFontNames[BuiltInFontCount] = {
    "LINE", "SERF", "NONE", "NONE", "NONE", "NONE", "NONE", "NONE", "NONE", "NONE",
};

void InstallBuiltInFonts() {
    InstalledFonts = 0;
    for (std::string_view name : BuiltInFontNames)
        InstallUserFont(name);
    for (int i = 0; i < DrawnFontCount; ++i) {
        const DrawnFont& drawn = DrawnFonts[i];
        assert(drawn.Name == BuiltInFontNames[i] && "a drawn font fills the slot of its name");
        TFontEntry& entry = Fonts[i];
        delete[] entry.StrokeData;
        std::copy_n(drawn.Header, sizeof entry.FontHeader, entry.FontHeader);
        std::copy_n(drawn.Offsets, 256, entry.StrokeOffsets);
        std::copy_n(drawn.Widths, 256, entry.CharWidths);
        entry.StrokeData = new std::uint8_t[drawn.DataSize];
        std::copy_n(drawn.Data, drawn.DataSize, entry.StrokeData);
        entry.DataSize = drawn.DataSize;
    }
}

std::int16_t InstallUserFont(std::string_view name) {
    GraphResult = GraphOk;
    if (InstalledFonts == MaxFonts) {
        GraphResult = GraphError;
        return 0;
    }
    TFontEntry& entry = Fonts[InstalledFonts];
    ++InstalledFonts;
    entry.FontName.Assign(name); // names longer than 8 characters are cut
    entry.DataSize = 0;
    entry.StrokeData = nullptr;
    return static_cast<std::int16_t>(InstalledFonts);
}

const TFontEntry* UsableStrokedFont(std::uint16_t fontNumber) {
    if (fontNumber == 0 || fontNumber > InstalledFonts || fontNumber > MaxFonts)
        return nullptr;
    const TFontEntry& entry = Fonts[fontNumber - 1];
    return entry.StrokeData && entry.DataSize != 0 ? &entry : nullptr;
}

void FreeFontData() {
    // Every entry is looked at, installed or not, so that nothing owned is
    // missed; a freed entry is empty afterwards, its metrics included, so that
    // no font registered later inherits the drawn fonts' widths and offsets.
    for (TFontEntry& entry : Fonts) {
        delete[] entry.StrokeData;
        entry = TFontEntry{};
    }
}

} // namespace Graph
