// The reader and the attribute arrays against the digests of what they made
// of generated texts before the reader was rewritten for speed: every corner
// form, relative and out-of-range indices, number spellings strtod reads
// and those it does not, names, comments and CR LF, exporter-like grids and
// the shapes of the reader's benchmark.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "models/obj_golden.h"
#include "obj_shapes.h"
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

// Small files of every shape the benchmark reads: the same bits as before.
TEST(OBJReaderGoldenTest, GivesTheSameBitsAsBeforeOnEveryBenchmarkShape) {
  OutputCapture quiet;
  // Comments, blank lines and CR LF line ends read as the plain sphere does.
  const std::map<std::string, std::uint64_t> digests = {
      {"sphere_v_vt_vn", 0x22b76bdc9d679872ULL},   {"sphere_v", 0xecbe431c42dc9ca0ULL},
      {"sphere_v_vn", 0x0ea3ff87dc5f0c31ULL},      {"sphere_v_vt", 0xaa0ceb8104bc281fULL},
      {"quads_v_vt_vn", 0xc0d86d34a0356d08ULL},    {"polygons_v_vt_vn", 0xc70bd4d160e6040eULL},
      {"unshared_v_vt_vn", 0x6e536493ebdb9274ULL}, {"objects_v_vt_vn", 0x8f8b83e4cb24a6d2ULL},
      {"comments_v_vt_vn", 0x22b76bdc9d679872ULL}, {"crlf_v_vt_vn", 0x22b76bdc9d679872ULL}};
  for (const obj_shapes::Shape& shape : obj_shapes::shapes()) {
    const std::uint64_t digest = golden_digest(obj_shapes::shape_text(shape, 40, 20));
    EXPECT_EQ(digest, digests.at(shape.name)) << shape.name << " " << std::hex << digest;
  }
}
