// A tiny built-in bitmap font for the on-screen texts: 5 x 7 cells, capitals,
// digits and the punctuation dates and names need.
#pragma once

#include <cstdint>

namespace scene::font {

inline constexpr int Width = 5;
inline constexpr int Height = 7;
inline constexpr int Advance = 6; // cell plus one column of space

// Row r of the glyph for c, bit 4 the leftmost column. Lower-case letters
// have the capitals' glyphs; a character without a glyph is an empty box.
uint8_t row(char c, int r);

} // namespace scene::font
