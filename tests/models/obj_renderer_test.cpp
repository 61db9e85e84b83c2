// OBJRenderer without OpenGL: construction and copies, bounds, normals, face
// selection, materials, cleaning and the collision entry points.
#include "models/obj_renderer.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <sstream>

#include "model_text.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::material_named;
using testing_support::model_of;
using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using Floats = std::vector<float>;
using Indices = std::vector<unsigned long long>;
using Names = std::vector<std::string>;
using V3 = OBJRenderer::Vec;

namespace {

// Three unit squares in the z = 0 plane with their own normals: at x = 4
// without object (red), at x = 0 in object a (red), at x = 2 in object b and
// group top (blue).
const std::string kRow =
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
    "v 2 0 0\nv 3 0 0\nv 3 1 0\nv 2 1 0\n"
    "v 4 0 0\nv 5 0 0\nv 5 1 0\nv 4 1 0\n"
    "vn 0 0 1\nvn 0 0 1\nvn 0 0 1\n"
    "usemtl red\nf 9//3 10//3 11//3 12//3\n"
    "o a\nf 1//1 2//1 3//1 4//1\n"
    "o b\nusemtl blue\ng top\nf 5//2 6//2 7//2 8//2\n";

}  // namespace

TEST(OBJRendererTest, DefaultsAndCopiesOfEveryField) {
  OBJRenderer model;
  EXPECT_EQ(model.attrib_depth(), (std::array<unsigned int, 4>{3, 3, 3, 0}));
  EXPECT_TRUE(model.enabled());
  EXPECT_TRUE(model.load_materials());
  EXPECT_EQ(model.loaded(), 0);
  EXPECT_EQ(model.attribute_locations(), (std::array<int, 3>{-1, -1, -1}));
  EXPECT_EQ(model.auto_create_vaos(), (std::array<bool, 2>{false, false}));
  EXPECT_EQ(model.pending_transform(), nullptr);

  OBJRenderer source = model_of(kRow);
  source.disable();
  source.load_path("models/");
  source.attribute_locations({0, 1, 2});
  source.included_objects() = {"a"};
  source.transform().scale = {2, 2, 2};
  source.apply_material(material_named("red", 1), {0});
  OBJRenderer copy(source);
  OBJRenderer assigned;
  assigned = copy;
  OBJRenderer moved(std::move(copy));
  for (const OBJRenderer* m : {&source, &assigned, &moved}) {
    EXPECT_FALSE(m->enabled());
    EXPECT_EQ(m->loaded(), 1);
    EXPECT_EQ(m->vertices(), source.vertices());
    EXPECT_EQ(m->faces().size(), 3u);
    EXPECT_EQ(m->faces()[2].group_name, "top");
    EXPECT_EQ(m->load_path(), "models/");
    EXPECT_EQ(m->attribute_locations(), (std::array<int, 3>{0, 1, 2}));
    EXPECT_EQ(m->included_objects(), Names{"a"});
    EXPECT_EQ(m->transform().scale, (std::array<float, 3>{2, 2, 2}));
    EXPECT_EQ(m->materials().size(), 1u);
    EXPECT_EQ(m->bounding_box_corners(), source.bounding_box_corners());
  }
}

TEST(OBJRendererTest, BoundsCentresAndAreas) {
  OBJRenderer empty;
  EXPECT_EQ(empty.vertex_bounds(), (OBJRenderer::Bounds{}));
  EXPECT_EQ(empty.calc_vertex_average(), (V3{0, 0, 0}));
  EXPECT_EQ(empty.total_face_area({}), 0.0f);

  OBJRenderer model = model_of(kRow);
  EXPECT_EQ(model.calc_lower_upper_bounds({2}), (OBJRenderer::Bounds{V3{2, 0, 0}, V3{3, 1, 0}}));
  EXPECT_EQ(model.calc_lower_upper_bounds({}), (OBJRenderer::Bounds{V3{0, 0, 0}, V3{5, 1, 0}}));
  EXPECT_EQ(model.calc_lower_upper_bounds({7}), (OBJRenderer::Bounds{}));
  const OBJRenderer::Corners& corners = model.calc_bbox_corners();
  EXPECT_EQ(corners[0], (V3{0, 0, 0}));
  EXPECT_EQ(corners[1], (V3{5, 0, 0}));
  EXPECT_EQ(corners[6], (V3{0, 1, 0}));
  EXPECT_EQ(corners[7], (V3{5, 1, 0}));
  EXPECT_EQ(model.face_center(2), (V3{2.5f, 0.5f, 0}));
  EXPECT_EQ(model.calc_vertex_average(), (V3{2.5f, 0.5f, 0}));
  // A vertex counts once per corner naming it.
  model.faces().push_back(model.faces()[0]);
  model.faces().back().v = {1, 1, 1, 4};
  EXPECT_EQ(model.average_face_position({3}), (V3{1.25f, 0, 0}));
  EXPECT_EQ(model.average_face_position({1, 2}), (V3{1.5f, 0.5f, 0}));
  EXPECT_EQ(model.average_face_position({99}), (V3{0, 0, 0}));
  // An empty list is all faces for the area, none for the triangle count.
  EXPECT_EQ(model.total_face_area({}), 3.0f);
  EXPECT_EQ(model.total_face_area({1}), 1.0f);
  EXPECT_EQ(model.num_triangles({}), 0u);
  EXPECT_EQ(model.num_triangles({0, 2, 9}), 4u);
}

TEST(OBJRendererTest, CentringAndTranslationReport) {
  OBJRenderer model = model_of("v 0 0 0\nv 2 4 6\nv 1 1 1\n");
  OutputCapture capture;
  model.center_vertices();
  EXPECT_EQ(model.vertices(), (Floats{-1, -2, -3, 1, 2, 3, 0, -1, -2}));
  EXPECT_EQ(capture.out(),
            "OBJRenderer::center_vertices() bounding box = -1, -2, -3,      1, 2, 3, \n");
  capture.reset();
  model.translate({1, 2, 3});
  EXPECT_EQ(model.vertices(), (Floats{0, 0, 0, 2, 4, 6, 1, 1, 1}));
  EXPECT_EQ(capture.out(), "Translating vertices... ");
}

TEST(OBJRendererTest, FaceNormalsAndNormalQueries) {
  OBJRenderer model = model_of(
      "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nvn 9 9 9\nvn 9 9 9\nvn 1 0 0\n"
      "f 1//1 2//1 3//1\nf 1//2 3//2 4//2\nf 1/1 2/1 4/1\n");
  model.faces()[1].vn.push_back(ULLONG_MAX);  // an index that addresses no normal
  OutputCapture capture;
  model.face_normals({});
  EXPECT_EQ(capture.out(), "face_normals()... ");
  EXPECT_EQ(model.normals(), (Floats{0, 0, 1, 1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(model.vertex_normals(0), (Indices{0, 1}));
  EXPECT_EQ(model.vertex_normals(3), (Indices{1}));
  EXPECT_EQ(model.normal_faces(1), (Indices{1}));
  EXPECT_EQ(model.vertex_faces(0, nullptr), (Indices{0, 1, 2}));
  const char marks[3] = {0, 1, 0};
  EXPECT_EQ(model.vertex_faces(0, marks), (Indices{0, 2}));
  // Combining only finds groups; nothing is replaced.
  const Floats before = model.normals();
  model.combine_normals({}, 10.0f);
  EXPECT_EQ(model.normals(), before);
}

TEST(OBJRendererTest, AutoinvertTurnsNormalsThatFaceTheCentre) {
  // Two parallel squares, z = 0 facing up (inward) and z = 1 facing up
  // (outward); each square's normals are shared by its corners.
  OBJRenderer model = model_of(
      "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
      "vn 0 0 1\nvn 0 0 1\nf 1//1 2//1 3//1 4//1\nf 5//2 6//2 7//2 8//2\n");
  model.autoinvert_normals(false, false);
  EXPECT_EQ(model.normals(), (Floats{0, 0, -1, 0, 0, 1}));
  // Once outward, the normals stay; an empty list turns nothing.
  model.autoinvert_normals(false, false);
  EXPECT_EQ(model.normals(), (Floats{0, 0, -1, 0, 0, 1}));
  model.normals() = {0, 0, 1, 0, 0, -1};
  model.autoinvert_normals(Indices{});
  EXPECT_EQ(model.normals(), (Floats{0, 0, 1, 0, 0, -1}));
}

TEST(OBJRendererTest, FacesInRadiusLeaveTheSeedOut) {
  // Triangles whose average vertices lie at x = 0, 1 and 2.
  const std::string row =
      "v -1 0 0\nv 1 0 0\nv 0 3 0\nv 0 0 0\nv 2 0 0\nv 1 3 0\nv 1 0 0\nv 3 0 0\nv 2 3 0\n"
      "f 1//1 2//1 3//1\nf 4//1 5//1 6//1\nf 7//1 8//1 9//1\n";
  OBJRenderer model = model_of(row);
  // Two faces at distance r: face 1 is marked by seed 0 and seeds nothing.
  model.faces().pop_back();
  EXPECT_EQ(model.faces_in_radius(1.0f), (std::vector<Indices>{{1}}));
  // Three in a row: seed 0 finds face 1; face 2 seeds an empty list.
  OBJRenderer three = model_of(row);
  EXPECT_EQ(three.faces_in_radius(1.0f), (std::vector<Indices>{{1}, {}}));
  EXPECT_EQ(three.faces_in_radius(2.0f), (std::vector<Indices>{{1, 2}}));
  char marks[3] = {0, 0, 0};
  EXPECT_EQ(three.faces_in_radius(1, 1.0f, marks), (Indices{0, 2}));
  EXPECT_EQ(marks[0] + marks[2], 2);
  EXPECT_EQ(three.faces_in_radius(1, 5.0f, marks), (Indices{}));
  EXPECT_EQ(three.faces_in_radius(7, 5.0f, nullptr), (Indices{}));
}

TEST(OBJRendererTest, SelectionByObjectMaterialAndOpacity) {
  OBJRenderer model = model_of(kRow);
  EXPECT_EQ(model.object_faces("a", true, true), (Indices{1}));
  EXPECT_EQ(model.object_faces("", true, true), (Indices{0}));
  EXPECT_EQ(model.material_faces("red", true, true), (Indices{0, 1}));
  model.included_objects() = {"b"};
  EXPECT_TRUE(model.object_faces("a", true, false).empty());
  EXPECT_EQ(model.object_faces("a", false, false), (Indices{1}));
  // The face without an object passes every test.
  EXPECT_EQ(model.material_faces("red", true, true), (Indices{0}));
  model.included_objects().clear();
  model.excluded_objects() = {"a"};
  EXPECT_EQ(model.material_faces("red", true, true), (Indices{0}));
  EXPECT_EQ(model.material_faces("red", true, false), (Indices{0, 1}));
  EXPECT_TRUE(model.excluded_object("a"));
  EXPECT_TRUE(model.included_object("zzz"));

  EXPECT_EQ(model.filter_faces("", "", "", 0), (Indices{0, 1, 2}));
  EXPECT_EQ(model.filter_faces("b", "top", "blue", 0), (Indices{2}));
  EXPECT_EQ(model.filter_faces("", "", "red", 0), (Indices{0, 1}));
  // 0.9999999 is opaque, 0.99999 transparent.
  model.apply_material(material_named("red", 0.9999999f), {0, 1});
  model.apply_material(material_named("blue", 0.99999f), {2});
  EXPECT_EQ(model.filter_faces("", "", "", 1), (Indices{2}));
  EXPECT_EQ(model.filter_faces("", "", "", 2), (Indices{0, 1}));

  EXPECT_EQ(model.unique_objects({}, false), (std::set<std::string>{"a", "b"}));
  EXPECT_EQ(model.unique_objects({}, true), (std::set<std::string>{"", "a", "b"}));
  EXPECT_EQ(model.unique_materials({}), (Names{"red", "blue"}));
  EXPECT_EQ(model.unique_materials({2, 1}), (Names{"blue", "red"}));
  EXPECT_EQ(model.unique_material_files(), (Names{"red", "blue"}));
  EXPECT_EQ(model.object_materials({"b", "a"}), (Names{"blue", "red"}));
}

TEST(OBJRendererTest, MaterialLookupAndNaming) {
  OBJRenderer model = model_of(kRow);
  model.apply_material(material_named("red", 1), {});
  model.materials().push_back(material_named("red", 0.5f));
  // A known name replaces every material of that name.
  model.apply_material(material_named("red", 0.25f), {0});
  ASSERT_EQ(model.materials().size(), 2u);
  EXPECT_EQ(model.materials()[1].material().alpha(), 0.25f);
  EXPECT_EQ(model.faces()[1].material_name, "red");
  EXPECT_TRUE(model.have_material("red"));
  EXPECT_FALSE(model.have_material("blue"));

  OutputCapture capture;
  EXPECT_EQ(&model.material("red"), &model.materials()[0]);
  WavefrontMTL& missing = model.material("blue");
  EXPECT_EQ(missing.name(), "Unnamed");
  EXPECT_EQ(&model.material("green"), &missing);
  EXPECT_EQ(capture.err(), "");
  const OBJRenderer& constant = model;
  EXPECT_EQ(constant.material(model.faces()[2]).material().alpha(), 0.25f);
  EXPECT_EQ(constant.material("blue").name(), "Unnamed");
  EXPECT_EQ(capture.err(),
            "OBJRenderer::material() not found: blue\nValid materials: red, red, \n");

  model.apply_object_name("box", {1});
  model.apply_material_name("felt", {2});
  model.materials2objects(false, true, {});
  EXPECT_EQ(model.faces()[0].object_name, "red");
  EXPECT_EQ(model.faces()[1].object_name, "box_red");
  EXPECT_EQ(model.faces()[2].object_name, "b_felt");
  model.faces()[2].object_name.clear();
  model.materials2objects(true, false, {1, 2});
  EXPECT_EQ(model.faces()[1].object_name, "box_red");
  EXPECT_EQ(model.faces()[2].object_name, "felt");
}

TEST(OBJRendererTest, VerticesToFaces) {
  OBJRenderer model = model_of(kRow);
  model.faces()[0].object_name = "old";
  model.vertices2faces(3, true, false);
  ASSERT_EQ(model.faces().size(), 4u);
  EXPECT_EQ(model.faces()[0].v, (Indices{0, 1, 2}));
  EXPECT_EQ(model.faces()[0].vt, (Indices{0, 1, 2}));
  EXPECT_TRUE(model.faces()[0].vn.empty());
  EXPECT_EQ(model.faces()[0].object_name, "");
  EXPECT_EQ(model.faces()[0].material_name, "None");
  EXPECT_EQ(model.faces()[3].v, (Indices{9, 10, 11}));
  model.vertices2faces(5, false, true);
  EXPECT_EQ(model.faces()[1].vn, (Indices{5, 6, 7, 8, 9}));
  OutputCapture capture;
  model.vertices2faces(0, true, true);
  EXPECT_EQ(model.faces().size(), 4u);
  EXPECT_NE(capture.err().find("OBJRenderer::vertices2faces()"), std::string::npos);
}

TEST(OBJRendererTest, ClearingUnusedEntriesRenumbersTheFaces) {
  OBJRenderer model = model_of("v 0 0 0\nv 1 1 1\nv 2 2 2\nv 3 3 3\n");
  OBJFace face(0);
  face.v = {2, 0, 2};
  // A list shorter than the face and an index that addresses nothing.
  face.vn = {1};
  face.vt = {ULLONG_MAX, 0};
  model.faces().push_back(face);
  model.normals() = {0, 0, 1, 0, 1, 0};
  model.tex_coords() = {0.5f, 0.5f, 0};
  OutputCapture capture;
  model.clear_unused_vertices();
  EXPECT_EQ(model.vertices(), (Floats{0, 0, 0, 2, 2, 2}));
  EXPECT_EQ(model.faces()[0].v, (Indices{1, 0, 1}));
  EXPECT_EQ(capture.out(), "Removed 2 attributes.\n");
  model.clear_unused_normals();
  EXPECT_EQ(model.normals(), (Floats{0, 1, 0}));
  EXPECT_EQ(model.faces()[0].vn, (Indices{0}));
  model.clear_unused_texcoords();
  EXPECT_EQ(model.tex_coords(), (Floats{0.5f, 0.5f, 0}));
  EXPECT_EQ(model.faces()[0].vt, (Indices{ULLONG_MAX, 0}));

  model.faces()[0].material_name = "used";
  model.materials() = {material_named("spare", 1), material_named("used", 1),
                       material_named("other", 1), material_named("used", 0.5f)};
  model.clean();
  ASSERT_EQ(model.materials().size(), 2u);
  EXPECT_EQ(model.materials()[1].material().alpha(), 0.5f);
}

TEST(OBJRendererTest, CollisionDataFollowsCopiesAndCacheFiles) {
  TempDataRoot root;
  OBJRenderer model = model_of(kRow);
  OutputCapture quiet;
  CollisionPartition& partition = model.calc_collision_data(0.5f, {});
  EXPECT_EQ(&partition, &model.collision_partition());
  EXPECT_EQ(partition.faces(), &model.faces());
  EXPECT_EQ(model.collision_data().face_collision_data().size(), 3u);
  EXPECT_TRUE(model.collision_data().face_collision_data()[2].initialized());

  // Copies and moves use their own faces, so the source may go away.
  auto copy = std::make_unique<OBJRenderer>(model);
  EXPECT_EQ(copy->collision_partition().faces(), &copy->faces());
  EXPECT_EQ(copy->collision_partition().face_data(), &copy->collision_data().face_collision_data());
  OBJRenderer moved(std::move(*copy));
  copy.reset();
  EXPECT_EQ(moved.collision_partition().faces(), &moved.faces());
  OBJRenderer assigned;
  assigned = moved;
  EXPECT_EQ(assigned.collision_partition().faces(), &assigned.faces());
  V3 position{0.5f, 0.5f, -0.1f}, velocity{0, 0, -1};
  const V3 start{0.5f, 0.5f, 0.1f};
  EXPECT_EQ(assigned.collision_partition().collision_faces(position, velocity, start, 1.0f),
            (Indices{1}));

  // An updated record follows moved vertices.
  model.translate({0, 0, 1});
  model.update_collision_data({0});
  EXPECT_EQ(model.collision_data().face_collision_data()[0].centroid()[2], 1.0f);

  ASSERT_EQ(model.collision_data().save_file("data.bin"), 0);
  ASSERT_EQ(model.collision_partition().save_file("partition.bin"), 0);
  OBJRenderer loaded = model_of(kRow);
  EXPECT_NE(loaded.load_collision_data("partition.bin", "missing.bin"), 0);
  EXPECT_EQ(loaded.collision_partition().faces(), nullptr);
  EXPECT_EQ(loaded.load_collision_data("partition.bin", "data.bin"), 0);
  EXPECT_EQ(loaded.collision_partition().faces(), &loaded.faces());
  EXPECT_EQ(loaded.collision_partition().voxels(), model.collision_partition().voxels());
}
