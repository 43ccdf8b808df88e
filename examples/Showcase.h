// The showcase's picture: a grid of labelled panels that uses every part of
// the graphics library (line styles, fill patterns, circles, arcs and
// ellipses, bitmap and stroked text, images with each write mode, the colours,
// polygons, bars and slices). It draws only through the library's public
// operations, so it makes the same picture on any display.
#pragma once

namespace Showcase {

// Draws the whole picture into the current graphics mode, which must be open.
// The drawing attributes, the viewport and the text settings are as they
// were when it returns.
void DrawShowcase();

} // namespace Showcase
