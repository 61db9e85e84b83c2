// The score board's list phrases.
#include "game/menus/list_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ListText, NumbersJoinLikeAnEnglishList) {
  const struct {
    std::vector<std::int32_t> numbers;
    const char* joined;
    const char* listed;
  } cases[] = {
      {{}, "", "the "},
      {{8}, "8", "the 8 ball"},
      {{3, 5}, "3 and 5", "balls 3 and 5"},
      {{2, 9, 15}, "2, 9, and 15", "balls 2, 9, and 15"},
      {{1, 2, 3, 4}, "1, 2, 3, and 4", "balls 1, 2, 3, and 4"},
      {{-7}, "-7", "the -7 ball"},
      {{-1, 12}, "-1 and 12", "balls -1 and 12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.joined);
    EXPECT_EQ(join_numbers(c.numbers, ",", "and"), c.joined);
    EXPECT_EQ(list_text(c.numbers, "ball", "balls", "the"), c.listed);
  }
  // The separator and the last word are the caller's.
  EXPECT_EQ(join_numbers({1, 2, 3}, ";", "or"), "1; 2; or 3");
}

}  // namespace
