// OBJTransform: the "obj_" keys and the order of the steps on a model.
#include "models/obj_transform.h"

#include <gtest/gtest.h>

#include <sstream>

#include "model_text.h"
#include "models/obj_renderer.h"
#include "support/capture.h"

using testing_support::model_of;
using testing_support::OutputCapture;
using Floats = std::vector<float>;

namespace {

// Two corners of a box and a third vertex, one face, one normal per corner.
const std::string kModel =
    "v 0 0 0\nv 2 4 6\nv 2 0 0\nvn 0 0 1\nvn 0 0 1\nvn 0 0 1\nf 1//1 2//2 3//3\n";

void expect_near(const Floats& got, const Floats& expected) {
  ASSERT_EQ(got.size(), expected.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], expected[i], 1e-6f) << i;
}

}  // namespace

TEST(OBJTransformTest, KeysFillTheirFieldsAndMissingKeysLeaveThem) {
  OBJTransform t(ProgramCfg(
      "obj_offset = 1 2 3\nobj_rotation = 1 0 0 0\nobj_center = 4 5 6\nobj_scale = 2 2 2\n"
      "obj_recenter = 1\nobj_recompute_normals = -2\nobj_lower_bound_axes = 0 1 0\n"
      "obj_upper_bound_axes = 1 0 0\nobj_smooth_normals = 1\n"));
  EXPECT_EQ(t.offset, (std::array<float, 3>{1, 2, 3}));
  // Nine values at most; the ones the list lacks become 0.
  EXPECT_EQ(t.rotation, (std::array<float, 9>{1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(t.center, (std::array<float, 3>{4, 5, 6}));
  EXPECT_EQ(t.scale, (std::array<float, 3>{2, 2, 2}));
  EXPECT_TRUE(t.recenter);
  EXPECT_TRUE(t.recompute_normals);
  EXPECT_EQ(t.lower_bound_axes, (std::array<int, 3>{0, 1, 0}));
  EXPECT_EQ(t.upper_bound_axes, (std::array<int, 3>{1, 0, 0}));

  t.init(ProgramCfg("obj_recenter = yes\nobj_scale = 3 3 3\n"));
  EXPECT_FALSE(t.recenter);
  EXPECT_EQ(t.scale, (std::array<float, 3>{3, 3, 3}));
  EXPECT_EQ(t.offset, (std::array<float, 3>{1, 2, 3}));
  EXPECT_TRUE(t.recompute_normals);

  const OBJTransform rotated(ProgramCfg("obj_rotation = 0 1 0 -1 0 0 0 0 1 7 7\n"));
  EXPECT_EQ(rotated.rotation, (std::array<float, 9>{0, 1, 0, -1, 0, 0, 0, 0, 1}));
}

TEST(OBJTransformTest, DefaultTransformChangesAndPrintsNothing) {
  OBJRenderer model = model_of(kModel);
  const OBJTransform t(ProgramCfg("width = 3\n"));
  OutputCapture capture;
  t(model);
  EXPECT_EQ(model.vertices(), (Floats{0, 0, 0, 2, 4, 6, 2, 0, 0}));
  EXPECT_EQ(model.normals(), (Floats{0, 0, 1, 0, 0, 1, 0, 0, 1}));
  EXPECT_EQ(capture.out(), "");
}

TEST(OBJTransformTest, SingleSteps) {
  const struct {
    const char* name;
    const char* cfg;
    Floats vertices;
    Floats first_normal;
    const char* out;
  } cases[] = {
      {"offset",
       "obj_offset = 1 2 3",
       {-1, -2, -3, 1, 2, 3, 1, -2, -3},
       {0, 0, 1},
       "Translating vertices... "},
      {"center",
       "obj_center = 1 2 3",
       {1, 2, 3, 3, 6, 9, 3, 2, 3},
       {0, 0, 1},
       "Translating vertices... "},
      {"scale", "obj_scale = 2 2 2", {0, 0, 0, 4, 8, 12, 4, 0, 0}, {0, 0, 1}, ""},
      // 90 degrees about x: applied, since the second diagonal entry is 0.
      {"rotation",
       "obj_rotation = 1 0 0 0 0 -1 0 1 0",
       {0, 0, 0, 2, -6, 4, 2, 0, 0},
       {0, -1, 0},
       "Rotating vertices... Rotating normals... "},
      // A mirror in z has its first two diagonal entries at 1: not applied.
      {"mirror", "obj_rotation = 1 0 0 0 1 0 0 0 -1", {0, 0, 0, 2, 4, 6, 2, 0, 0}, {0, 0, 1}, ""},
      {"lowest y at 0",
       "obj_lower_bound_axes = 0 1 0\nobj_offset = 0 -1 0",
       {0, 0, 0, 2, 4, 6, 2, 0, 0},
       {0, 0, 1},
       "Translating vertices... "},
      {"highest x at 0",
       "obj_upper_bound_axes = 1 0 0",
       {-2, 0, 0, 0, 4, 6, 0, 0, 0},
       {0, 0, 1},
       ""},
      {"recenter",
       "obj_recenter = 1",
       {-1, -2, -3, 1, 2, 3, 1, -2, -3},
       {0, 0, 1},
       "OBJRenderer::center_vertices() bounding box = -1, -2, -3,      1, 2, 3, \n"},
  };
  for (const auto& c : cases) {
    OBJRenderer model = model_of(kModel);
    const OBJTransform t{ProgramCfg(c.cfg)};
    OutputCapture capture;
    t(model);
    EXPECT_EQ(model.vertices(), c.vertices) << c.name;
    EXPECT_EQ(Floats(model.normals().begin(), model.normals().begin() + 3), c.first_normal)
        << c.name;
    EXPECT_EQ(capture.out(), c.out) << c.name;
  }
}

TEST(OBJTransformTest, StepsRunInOrder) {
  // Recentre, recompute normals, offset, rotate, scale, align, centre: each
  // step sees the result of the one before.
  OBJRenderer model = model_of(kModel);
  const OBJTransform t(ProgramCfg(
      "obj_center = 0 0 10\nobj_lower_bound_axes = 0 1 0\nobj_scale = 2 1 1\n"
      "obj_rotation = 1 0 0 0 0 -1 0 1 0\nobj_offset = 1 0 0\nobj_recompute_normals = 1\n"
      "obj_recenter = 1\n"));
  OutputCapture capture;
  t(model);
  // (0,0,0): recentred (-1,-2,-3), offset (-2,-2,-3), rotated (-2,3,-2),
  // scaled (-4,3,-2), lowest y (-3) to 0: (-4,6,-2), centre (-4,6,8).
  EXPECT_EQ(model.vertices(), (Floats{-4, 6, 8, 0, 0, 12, 0, 6, 8}));
  // The face normal of the recentred face, then rotated with the positions.
  const std::array<float, 3> n = model.faces()[0].normal(model_of(kModel).vertices());
  expect_near(Floats(model.normals().begin(), model.normals().begin() + 3),
              Floats{n[0], -n[2], n[1]});
  EXPECT_EQ(capture.out(),
            "OBJRenderer::center_vertices() bounding box = -1, -2, -3,      1, 2, 3, \n"
            "face_normals()... Translating vertices... Rotating vertices... Rotating normals... "
            "Translating vertices... ");
}

TEST(OBJTransformTest, RescaledNormalsAndThresholdsUseTheFacesNormals) {
  OBJRenderer model =
      model_of("v 0 -1 0\nv 1 0 0\nv 0 0 1\nvn 1 0 0\nvn 1 0 0\nvn 3 4 0\nf 1//3 2//1 3//2\n");
  OBJTransform t;
  t.rescale_normals = true;
  t.scale = {1, 2, 1};
  t.lower_threshold_axes[1] = true;
  t.lower_threshold_normals[1] = true;
  t.lower_thresholds[1] = -0.5f;
  OutputCapture quiet;
  t(model);
  // Scaled positions; y below -0.5 clamped.
  EXPECT_EQ(model.vertices(), (Floats{0, -0.5f, 0, 1, 0, 0, 0, 0, 1}));
  // Normals scaled and renormalised, then the normal of the clamped vertex's
  // corner (index 2, not index 0) turned along y.
  expect_near(model.normals(), Floats{1, 0, 0, 1, 0, 0, 0, 1, 0});
}
