// The reader and the attribute arrays against the digests of what they made
// of generated texts before the reader was rewritten for speed: every corner
// form, relative and out-of-range indices, number spellings strtod reads
// and those it does not, names, comments and CR LF, and exporter-like grids.
#include <gtest/gtest.h>

#include "models/obj_golden.h"
#include "support/capture.h"

using testing_support::golden_digest;
using testing_support::golden_grid_text;
using testing_support::golden_obj_text;
using testing_support::OutputCapture;

TEST(OBJReaderGoldenTest, GivesTheSameBitsAsBefore) {
  OutputCapture quiet;
  const struct {
    std::uint64_t seed;
    int lines;
    std::uint64_t digest;
  } texts[] = {{1, 4000, 0x4057456f55938d85ULL}, {2, 4000, 0xd28bcd1c61404499ULL},
               {3, 4000, 0x99cbf46f34267bd8ULL}, {4, 4000, 0x393f70f7552a725fULL},
               {5, 4000, 0x40a652e5718cbf3eULL}, {99, 200000, 0x3700b888bb7b0da6ULL}};
  for (const auto& t : texts)
    EXPECT_EQ(golden_digest(golden_obj_text(t.seed, t.lines)), t.digest) << "seed " << t.seed;
  EXPECT_EQ(golden_digest(golden_grid_text(120, true, 1000)), 0xcd85ef11e62d81efULL);
  EXPECT_EQ(golden_digest(golden_grid_text(120, false, 7)), 0x6eccb87f6e1672deULL);
}
