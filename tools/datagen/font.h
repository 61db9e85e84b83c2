// The generator's own lettering: capitals, digits and a few signs on a grid
// of 5 x 7 cells, drawn as round strokes between neighbouring cells.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace datagen {

// Seven rows of five cells, '#' set; a blank glyph for unknown characters.
const std::array<const char*, 7>& glyph(char c);

// The strokes of a glyph: segments between set cells, in cell units with the
// first cell's centre at (0.5, 0.5); a lone cell gives a zero-length segment.
struct Stroke {
  float x0, y0, x1, y1;
};
std::vector<Stroke> glyph_strokes(char c);

inline constexpr int kGlyphColumns = 5;
inline constexpr int kGlyphRows = 7;
// Columns from one glyph's left edge to the next.
inline constexpr int kGlyphAdvance = 6;

}  // namespace datagen
