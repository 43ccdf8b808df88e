// The console terminal's public face: what a program or another module uses
// of it. Its initialisation takes the standard files Input and Output over,
// so that text written to Output lands in the console screen buffer and a
// line read from Input goes through a small line editor; KeyPressed and
// ReadKey read single keys. The unit knows nothing of graphics.
#pragma once

#include "runtime/TextRec.h"

#include <cstdint>

namespace Crt {

// The text window's lower-right corner packed for clients: low byte the
// width less one, high byte the height less one (255 for taller buffers).
extern std::uint16_t WindMax;
// The published text-mode number; always 3 (colour, 80 columns).
extern std::uint16_t LastMode;
// The attribute of every cell written and of the blank rows that scrolling
// brings in.
extern std::uint8_t TextAttr;
// When true, Ctrl+Z ends a line read with a 26 in place of the line end.
extern bool CheckEOF;

// True when a key is waiting; reads console input events until one yields a
// key and keeps that key pending.
bool KeyPressed();
// Waits for a key and returns it. A special key takes two calls: the first
// returns 0, the second its extended code.
char ReadKey();

// Makes a text file a console device; the direction follows the open call
// (Rewrite: output, Reset: input).
void AssignCrt(Runtime::TextRec& file);

// The unit's entry in the module table: finds the console, takes its
// measures and binds Input and Output to it. Without a console it writes a
// line on StdErr and halts with exit code 1.
void InitializeCrt();

} // namespace Crt
