// Glyph shapes of the generator's lettering.
#include "datagen/font.h"

#include <map>

namespace datagen {

namespace {

using Glyph = std::array<const char*, 7>;

const std::map<char, Glyph>& glyphs() {
  static const std::map<char, Glyph> table{
      {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
      {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
      {'C', {" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "}},
      {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
      {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
      {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
      {'G', {" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ### "}},
      {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
      {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
      {'J', {"  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "}},
      {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
      {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
      {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
      {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
      {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
      {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
      {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
      {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
      {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
      {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
      {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
      {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
      {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "}},
      {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
      {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
      {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
      {'0', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
      {'1', {"  #  ", " ##  ", "# #  ", "  #  ", "  #  ", "  #  ", "#####"}},
      {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
      {'3', {" ### ", "#   #", "    #", "  ## ", "    #", "#   #", " ### "}},
      {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
      {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
      {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
      {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
      {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
      {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
      {'.', {"     ", "     ", "     ", "     ", "     ", "     ", "  #  "}},
      {'-', {"     ", "     ", "     ", " ### ", "     ", "     ", "     "}},
      {'/', {"    #", "    #", "   # ", "  #  ", " #   ", "#    ", "#    "}},
      {':', {"     ", "  #  ", "     ", "     ", "     ", "  #  ", "     "}},
      {'(', {"   # ", "  #  ", " #   ", " #   ", " #   ", "  #  ", "   # "}},
      {')', {" #   ", "  #  ", "   # ", "   # ", "   # ", "  #  ", " #   "}},
  };
  return table;
}

bool set(const Glyph& g, int column, int row) {
  return column >= 0 && column < kGlyphColumns && row >= 0 && row < kGlyphRows &&
         g[row][column] == '#';
}

}  // namespace

const Glyph& glyph(char c) {
  static const Glyph blank{"     ", "     ", "     ", "     ", "     ", "     ", "     "};
  const auto found = glyphs().find(c);
  return found == glyphs().end() ? blank : found->second;
}

std::vector<Stroke> glyph_strokes(char c) {
  const Glyph& g = glyph(c);
  std::vector<Stroke> strokes;
  for (int row = 0; row < kGlyphRows; ++row) {
    for (int column = 0; column < kGlyphColumns; ++column) {
      if (!set(g, column, row)) continue;
      const float x = column + 0.5f, y = row + 0.5f;
      bool joined = false;
      auto join = [&](int dc, int dr) {
        strokes.push_back({x, y, x + dc, y + dr});
        joined = true;
      };
      if (set(g, column + 1, row)) join(1, 0);
      if (set(g, column, row + 1)) join(0, 1);
      // Diagonals only where no straight path joins the two cells.
      if (set(g, column + 1, row + 1) && !set(g, column + 1, row) && !set(g, column, row + 1))
        join(1, 1);
      if (set(g, column - 1, row + 1) && !set(g, column - 1, row) && !set(g, column, row + 1))
        join(-1, 1);
      const bool linked_before =
          set(g, column - 1, row) || set(g, column, row - 1) ||
          (set(g, column - 1, row - 1) && !set(g, column - 1, row) && !set(g, column, row - 1)) ||
          (set(g, column + 1, row - 1) && !set(g, column + 1, row) && !set(g, column, row - 1));
      if (!joined && !linked_before) strokes.push_back({x, y, x, y});
    }
  }
  return strokes;
}

}  // namespace datagen
