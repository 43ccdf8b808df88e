// Stroked characters: the decoding of a font's stroke pairs into the one
// shared point buffer, Strokes, from which both text drawers draw.
//
// A character is a run of two-byte pairs in its font's stroke data, ending
// with a pair whose operation is 0. Each pair carries a 2-bit operation in
// the top bits of its two bytes and a 7-bit signed coordinate in the low
// bits of each. Unpack never reads past the data it is given and never
// writes past the buffer: a character that has no end pair within either is
// ended where the data or the buffer ends.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace Graph {

// Stroke operations.
constexpr std::uint8_t StrokeEnd = 0;
constexpr std::uint8_t StrokeSkip = 1;
constexpr std::uint8_t StrokeMove = 2;
constexpr std::uint8_t StrokeDraw = 3;

// One decoded pair, in font units relative to the character's origin on the
// baseline, y upwards.
struct TStrokePoint {
    std::uint8_t Op = StrokeEnd;
    std::int16_t X = 0;
    std::int16_t Y = 0;
};

constexpr std::size_t MaxStrokePoints = 1001;
using TStrokes = std::array<TStrokePoint, MaxStrokePoints>;

// The buffer into which the text drawers unpack the current character; two
// drawers must not run at once.
extern TStrokes Strokes;

// The operation of the pair (b1, b2), with its coordinates sign-extended
// from 7 bits into x and y.
std::uint16_t Decode(std::uint8_t b1, std::uint8_t b2, std::int16_t& x, std::int16_t& y);

// Decodes the character whose pairs start at byte offset of data into
// strokes and returns the number of entries, the end entry included. The
// last entry returned is always an end entry: one is supplied when the data
// runs out (or the offset lies outside it) before an end pair, and when the
// buffer would otherwise fill up without one.
std::int16_t Unpack(std::span<const std::uint8_t> data, std::int16_t offset, TStrokes& strokes);

} // namespace Graph
