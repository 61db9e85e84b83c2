// OBJRenderer's per-material attribute arrays, material lists and face sorting,
// all without OpenGL.
#include <gtest/gtest.h>

#include <sstream>

#include "model_text.h"
#include "models/obj_renderer.h"
#include "support/capture.h"

using testing_support::model_of;
using testing_support::OutputCapture;
using Floats = std::vector<float>;
using Indices = std::vector<unsigned long long>;
using Names = std::vector<std::string>;

namespace {

void add_material(OBJRenderer& model, const std::string& name, float alpha) {
  model.materials().push_back(testing_support::material_named(name, alpha));
}

// A red quad (two triangles) and a blue triangle in object glass, each
// corner with its own texture coordinate and normal.
const std::string kModel =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
    "vt 0 0 0\nvt 1 0 0\nvt 1 1 0\nvt 0 1 0\n"
    "vn 0 0 1\nvn 0 0 -1\n"
    "usemtl red\nf 1/1/1 2/2/1 3/3/1 4/4/1\n"
    "o glass\nusemtl blue\nf 3/3/2 2/2/2 1/1/2\n";

}  // namespace

TEST(OBJVertexArraysTest, BuffersHoldTheFanTrianglesCornerByCorner) {
  const OBJRenderer model = model_of(kModel);
  EXPECT_EQ(model.construct_buffer(3, model.vertices(), {0}, ATTRIB_VERTEX, false),
            (Floats{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0}));
  EXPECT_EQ(model.construct_buffer(3, model.tex_coords(), {1}, ATTRIB_TEXCOORD, true),
            (Floats{0, 0, 0, 1, 0, 0, 1, 1, 0}));
  EXPECT_TRUE(model.construct_buffer(3, {}, {}, ATTRIB_NORMAL, false).empty());
  const OBJRenderer::Attributes all = model.construct_attributes({}, false);
  EXPECT_EQ(all[0].size(), 27u);
  EXPECT_EQ(Floats(all[1].end() - 3, all[1].end()), (Floats{0, 0, -1}));
  EXPECT_EQ(all[2].size(), 27u);
  // Indices that name no face are skipped; a list of only those is empty,
  // not all faces.
  EXPECT_EQ(model.construct_attributes({1, 9}, false)[0].size(), 9u);
  EXPECT_TRUE(model.construct_attributes({9}, false)[0].empty());
}

TEST(OBJVertexArraysTest, FacesWithoutGeometryAreLeftOutOfEveryArray) {
  OBJRenderer model = model_of(kModel);
  // Faces built by hand may name vertices that do not exist; a face of two
  // corners has no triangle.
  OBJFace outside;
  outside.v = {0, 1, 7};
  outside.material_name = "red";
  model.faces().push_back(outside);
  OBJFace line(2);
  line.material_name = "red";
  model.faces().push_back(line);
  EXPECT_EQ(model.num_triangles({0, 2, 3}), 3u);
  OutputCapture capture;
  const OBJRenderer::Attributes red = model.construct_material_attributes("red");
  EXPECT_EQ(red[0].size(), 18u);
  EXPECT_EQ(red[1].size(), 18u);
  EXPECT_EQ(red[2].size(), 18u);
  EXPECT_EQ(capture.err(),
            "OBJRenderer::construct_attributes(): 1 faces skipped: vertex indices outside the "
            "vertex list\n");
}

TEST(OBJVertexArraysTest, MaterialAttributesAreStoredPerMaterialAndOpacity) {
  OBJRenderer model = model_of(kModel);
  add_material(model, "red", 1.0f);
  add_material(model, "blue", 0.99999f);
  EXPECT_EQ(model.opaque_materials({}), Names{"red"});
  EXPECT_EQ(model.transparent_materials({}), Names{"blue"});
  for (const auto& arrays : model.construct_material_attributes("green"))
    EXPECT_TRUE(arrays.empty());
  EXPECT_EQ(model.construct_material_attributes("green", true), -1);
  EXPECT_TRUE(model.opaque_attributes().empty());

  OutputCapture capture;
  model.construct_materials_attributes(true);
  model.construct_materials_attributes(false);
  EXPECT_EQ(capture.out(), "opaque materials: red, \ntransparent materials: blue, \n");
  EXPECT_EQ(model.opaque_material_names(), Names{"red"});
  EXPECT_EQ(model.transparent_material_names(), Names{"blue"});
  EXPECT_EQ(model.opaque_attributes().at("red"), model.construct_material_attributes("red"));
  EXPECT_EQ(model.transparent_attributes().at("blue")[0].size(), 9u);

  // Objects left out of the model drop their faces from every material.
  model.excluded_objects() = {"glass"};
  EXPECT_EQ(model.construct_material_attributes("blue", false), -1);
  model.construct_materials_attributes(Names{"blue", "red"}, true);
  EXPECT_EQ(model.opaque_attributes().count("blue"), 0u);
  EXPECT_EQ(model.opaque_attributes().at("red")[0].size(), 18u);

  model.clear_vertex_data();
  EXPECT_TRUE(model.vertices().empty() && model.normals().empty() && model.tex_coords().empty());
  EXPECT_TRUE(model.opaque_attributes().empty() && model.transparent_attributes().empty());
}

TEST(OBJVertexArraysTest, OpacityThresholdIsTheLargestFloatBelowOne) {
  OBJRenderer model = model_of(kModel);
  add_material(model, "red", 0.9999999f);
  add_material(model, "blue", 0.99999f);
  EXPECT_EQ(model.opaque_materials({}), Names{"red"});
  model.materials()[0].material().set_alpha(1.0f);
  EXPECT_EQ(model.opaque_materials({0}), Names{"red"});
  EXPECT_TRUE(model.transparent_materials({0}).empty());
}

TEST(OBJVertexArraysTest, PendingTransformIsAppliedOnceBeforeBuilding) {
  OBJRenderer model = model_of(kModel);
  add_material(model, "red", 1.0f);
  OBJTransform transform;
  transform.offset = {1, 0, 0};
  model.pending_transform(&transform);
  OutputCapture quiet;
  model.construct_materials_attributes(Names{"red"}, true);
  EXPECT_EQ(model.pending_transform(), nullptr);
  EXPECT_EQ(model.opaque_attributes().at("red")[0][0], -1.0f);
  EXPECT_EQ(model.average_vertex()[0], -0.5f);
  EXPECT_EQ(model.lower_upper_bounds()[0][0], -1.0f);
  model.apply_vao_transform();
  EXPECT_EQ(model.vertices()[0], -1.0f);
}

TEST(OBJVertexArraysTest, SortByDistanceIsStableAndFarthestFirst) {
  // Triangles whose centres lie at x = 1, 3, 3 and 2.
  std::string text;
  for (int x : {1, 3, 3, 2})
    text += "v " + std::to_string(x - 1) + " 0 0\nv " + std::to_string(x + 1) + " 0 0\nv " +
            std::to_string(x) + " 0 0\n";
  text +=
      "usemtl a\nf 1//1 2//1 3//1\nusemtl b\nf 4//1 5//1 6//1\nusemtl c\nf 7//1 8//1 9//1\n"
      "usemtl d\nf 10//1 11//1 12//1\n";
  OBJRenderer model = model_of(text);
  model.sort_by_distance({0, 0, 0}, {});
  Names order;
  for (const OBJFace& f : model.faces()) order.push_back(f.material_name);
  EXPECT_EQ(order, (Names{"b", "c", "d", "a"}));
  EXPECT_EQ(model.faces()[0].v, (Indices{3, 4, 5}));

  // Only the listed positions take part.
  OBJRenderer part = model_of(text);
  part.sort_by_distance({0, 0, 0}, {0, 3});
  order.clear();
  for (const OBJFace& f : part.faces()) order.push_back(f.material_name);
  EXPECT_EQ(order, (Names{"d", "b", "c", "a"}));
}

TEST(OBJVertexArraysTest, MaterialListsMoveWithTheirVAOs) {
  Names from{"a", "b", "c"};
  std::vector<VAO> from_vaos(3);
  from_vaos[1].id(22);
  Names to{"x"};
  std::vector<VAO> to_vaos(1);
  OBJRenderer::move_material_list({"b", "zz"}, from, from_vaos, to, to_vaos);
  EXPECT_EQ(from, (Names{"a", "c"}));
  EXPECT_EQ(from_vaos.size(), 2u);
  EXPECT_EQ(to, (Names{"x", "b"}));
  ASSERT_EQ(to_vaos.size(), 2u);
  EXPECT_EQ(to_vaos[1].id(), 22u);

  OBJRenderer model = model_of(kModel);
  add_material(model, "red", 1.0f);
  add_material(model, "blue", 0.5f);
  OutputCapture quiet;
  model.construct_materials_attributes(true);
  model.construct_materials_attributes(false);
  // Names whose VAOs are not built yet still move, with an empty VAO.
  model.transparent2opaque({});
  EXPECT_EQ(model.opaque_material_names(), (Names{"red", "blue"}));
  EXPECT_TRUE(model.transparent_material_names().empty());
  EXPECT_EQ(model.opaque_vaos().size(), 1u);
  model.opaque2transparent({"red"});
  EXPECT_EQ(model.transparent_material_names(), Names{"red"});
  EXPECT_EQ(model.transparent_vaos().size(), 1u);
}

TEST(OBJVertexArraysTest, ToTrianglesReplacesTheVertexArrays) {
  const OBJRenderer model = model_of(kModel);
  const OBJRenderer triangles = model.to_triangles({0}, true);
  EXPECT_EQ(triangles.vertices(),
            model.construct_buffer(3, model.vertices(), {0}, ATTRIB_VERTEX, true));
  EXPECT_EQ(triangles.normals().size(), 18u);
  EXPECT_EQ(triangles.faces().size(), 2u);
  EXPECT_EQ(model.vertices().size(), 12u);
}
