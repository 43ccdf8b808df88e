// The font table. Fonts are registered by name only: no operation of this
// system loads stroke data, so every entry starts without it, and the kernel's
// exit procedure frees whatever data an entry may have been given.
#include "graph/Fonts.h"

#include "graph/GraphState.h"

namespace Graph {

std::int32_t InstalledFonts = 0;
TFontEntry Fonts[MaxFonts];

const std::string_view BuiltInFontNames[BuiltInFontCount] = {
    "TRIP", "LITT", "SANS", "GOTH", "SCRI", "SIMP", "TSCR", "LCOM", "EURO", "BOLD",
};

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
    // missed; a freed entry holds no data afterwards.
    for (TFontEntry& entry : Fonts) {
        delete[] entry.StrokeData;
        entry.StrokeData = nullptr;
        entry.DataSize = 0;
    }
}

} // namespace Graph
