// AttribSelector: detail levels read from model files, recentred and
// flattened into triangle arrays.
#include "models/attrib_selector.h"

#include <gtest/gtest.h>

#include "support/capture.h"
#include "support/data_root.h"

using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using Floats = std::vector<float>;

namespace {

// A triangle away from the origin whose box centre is (11, 11, 10), and a
// quad (two fan triangles) with texture coordinates.
const std::string kTriangle =
    "v 10 10 10\nv 12 10 10\nv 10 12 10\nvt 0 0 0\nvt 1 0 0\nvt 0 1 0\nvn 0 0 1\n"
    "f 1/1/1 2/2/1 3/3/1\n";
const std::string kQuad = "v 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\nvn 0 0 1\nf 1//1 2//1 3//1 4//1\n";

}  // namespace

TEST(AttribSelectorTest, DefaultsRecentreAndDrawTriangles) {
  const AttribSelector selector;
  EXPECT_TRUE(selector.transform.recenter);
  EXPECT_TRUE(selector.files.empty());
  EXPECT_EQ(selector.primitive_mode(), kTrianglesMode);
  EXPECT_TRUE(selector.vertices().empty());
}

TEST(AttribSelectorTest, ConstructLoadsTheDetailsModel) {
  TempDataRoot root;
  root.write("models/lod1.obj", kTriangle);
  root.write("models/lod2.obj", kQuad);
  AttribSelector selector;
  selector.files = {{1, "models/lod1.obj"}, {2, "models/lod2.obj"}, {3, "models/lod1.obj"}};
  OutputCapture quiet;

  ASSERT_EQ(selector.construct(1), 0);
  EXPECT_EQ(selector.vertices(), (Floats{-1, -1, 0, 1, -1, 0, -1, 1, 0}));
  EXPECT_EQ(selector.normals(), (Floats{0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(selector.tex_coords(), (Floats{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  // Three texture-coordinate floats, no colours.
  EXPECT_EQ(selector.attrib_depth(), (std::array<unsigned int, 4>{3, 3, 3, 0}));

  // Two details of one file give the same arrays.
  AttribSelector other = selector;
  ASSERT_EQ(other.construct(3), 0);
  EXPECT_EQ(other.vertices(), selector.vertices());
  EXPECT_EQ(other.normals(), selector.normals());
  EXPECT_EQ(other.tex_coords(), selector.tex_coords());

  // The transform applies after the recentring; a model without texture
  // coordinates leaves that array empty.
  selector.transform.scale = {2, 2, 2};
  ASSERT_EQ(selector.construct(2), 0);
  EXPECT_EQ(selector.vertices(),
            (Floats{-2, -2, 0, 2, -2, 0, 2, 2, 0, -2, -2, 0, 2, 2, 0, -2, 2, 0}));
  EXPECT_EQ(selector.normals().size(), 18u);
  EXPECT_TRUE(selector.tex_coords().empty());
}

TEST(AttribSelectorTest, FailuresLeaveTheArrays) {
  TempDataRoot root;
  root.write("models/lod1.obj", kTriangle);
  AttribSelector selector;
  selector.files = {{1, "models/lod1.obj"}, {2, "models/missing.obj"}};
  OutputCapture capture;
  ASSERT_EQ(selector.construct(1), 0);
  const Floats vertices = selector.vertices();
  const Floats normals = selector.normals();

  capture.reset();
  EXPECT_EQ(selector.construct(0), -1);
  EXPECT_EQ(selector.construct(7), -1);
  EXPECT_EQ(capture.err(), "");
  EXPECT_EQ(selector.construct(2), -1);
  EXPECT_NE(capture.err().find("missing.obj"), std::string::npos);
  EXPECT_EQ(selector.vertices(), vertices);
  EXPECT_EQ(selector.normals(), normals);
}
