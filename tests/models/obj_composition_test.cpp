// Models made from models and settings: sub-models of faces, splitting by
// material (also into files), loading from settings tables and files, and
// models that carry their own pose.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/program_cfg.h"
#include "model_text.h"
#include "models/obj_renderer.h"
#include "models/oriented_model.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::material_named;
using testing_support::model_of;
using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using Floats = std::vector<float>;
using Names = std::vector<std::string>;

namespace {

// Three unit squares side by side at x = 0, 2 and 4 (red, blue, red), each
// with its own normal and texture coordinates; materials red and blue plus
// green, which no face uses.
OBJRenderer row() {
  OBJRenderer model = model_of(
      "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
      "v 2 0 0\nv 3 0 0\nv 3 1 0\nv 2 1 0\n"
      "v 4 0 0\nv 5 0 0\nv 5 1 0\nv 4 1 0\n"
      "vt 0 0 0\nvt 1 0 0\nvt 1 1 0\nvt 0 1 0\n"
      "vn 0 0 1\nvn 0 0 -1\nvn 1 0 0\n"
      "o left\nusemtl red\nf 1/1/1 2/2/1 3/3/1 4/4/1\n"
      "o middle\nusemtl blue\nf 5/1/2 6/2/2 7/3/2 8/4/2\n"
      "o right\nusemtl red\nf 9//3 10//3 11//3 12//3\n");
  model.materials() = {material_named("red", 1), material_named("blue", 0.5f),
                       material_named("green", 1)};
  return model;
}

// The positions of a face's corners, so faces of different models compare.
Floats corner_positions(const OBJRenderer& model, const OBJFace& face) {
  Floats out;
  for (unsigned long long v : face.v)
    out.insert(out.end(), &model.vertices()[3 * v], &model.vertices()[3 * v] + 3);
  return out;
}

Names material_names(const OBJRenderer& model) {
  Names names;
  for (const WavefrontMTL& m : model.materials()) names.push_back(m.name());
  return names;
}

const std::string kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n";

}  // namespace

TEST(OBJCompositionTest, FromFacesCopiesTheListedFacesAndCleans) {
  OBJRenderer source = row();
  OutputCapture quiet;
  source.calc_collision_data(0.5f, {});
  const OBJRenderer part = source.from_faces({2, 0, 0, 99});
  ASSERT_EQ(part.faces().size(), 3u);
  const unsigned long long origins[] = {2, 0, 0};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(corner_positions(part, part.faces()[i]),
              corner_positions(source, source.faces()[origins[i]]));
    EXPECT_EQ(part.faces()[i].object_name, source.faces()[origins[i]].object_name);
  }
  // Only what the faces name is left, renumbered in the old order.
  EXPECT_EQ(part.num_vertices(), 8u);
  EXPECT_EQ(part.faces()[1].v, (std::vector<unsigned long long>{0, 1, 2, 3}));
  EXPECT_EQ(part.normals(), (Floats{0, 0, 1, 1, 0, 0}));
  EXPECT_EQ(part.tex_coords().size(), 12u);
  EXPECT_EQ(material_names(part), Names{"red"});
  EXPECT_NE(quiet.out().find("Removed 4 attributes."), std::string::npos);
  // The part describes itself, not its source.
  EXPECT_TRUE(part.collision_data().face_collision_data().empty());
  EXPECT_TRUE(part.collision_partition().voxels().empty());
  EXPECT_EQ(part.lower_upper_bounds(), (OBJRenderer::Bounds{{{0, 0, 0}, {5, 1, 0}}}));
  EXPECT_EQ(part.average_vertex(), (OBJRenderer::Vec{2.5f, 0.5f, 0}));
  EXPECT_EQ(source.faces().size(), 3u);

  const OBJRenderer none = source.from_faces({});
  EXPECT_TRUE(none.faces().empty());
  EXPECT_TRUE(none.vertices().empty());
  EXPECT_TRUE(none.normals().empty());
  EXPECT_TRUE(none.tex_coords().empty());
  EXPECT_TRUE(none.materials().empty());
}

TEST(OBJCompositionTest, SplitByMaterialGivesOneModelPerMaterial) {
  const OBJRenderer model = row();
  OutputCapture capture;
  const std::vector<OBJRenderer> parts = model.split_by_material();
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].faces().size(), 2u);
  EXPECT_EQ(material_names(parts[0]), Names{"red"});
  EXPECT_EQ(parts[1].faces().size(), 1u);
  EXPECT_EQ(material_names(parts[1]), Names{"blue"});
  EXPECT_TRUE(parts[2].faces().empty());
  EXPECT_TRUE(parts[2].vertices().empty());
  EXPECT_TRUE(parts[2].materials().empty());
  const std::string out = capture.out();
  const auto red = out.find("Material red: 2 faces.\n");
  const auto blue = out.find("Material blue: 1 faces.\n");
  const auto green = out.find("Material green: 0 faces.\n");
  ASSERT_NE(green, std::string::npos);
  EXPECT_LT(red, blue);
  EXPECT_LT(blue, green);
}

TEST(OBJCompositionTest, SplitFileWritesOneFilePerUsedMaterial) {
  TempDataRoot root;
  root.write("data/box.mtl", "newmtl red\nnewmtl blue\nnewmtl ../evil\n");
  root.write("data/box.obj", "mtllib box.mtl\n" + kTriangle + "usemtl ../evil\nf 3//1 2//1 1//1\n");
  OutputCapture quiet;
  EXPECT_EQ(OBJRenderer::split_file_by_material("data/box.obj", false).size(), 3u);
  EXPECT_FALSE(std::filesystem::exists("box_red.obj"));

  const std::vector<OBJRenderer> parts = OBJRenderer::split_file_by_material("data/box.obj", true);
  ASSERT_EQ(parts.size(), 3u);
  // A face without "usemtl" has the material "None": red and blue are unused.
  EXPECT_FALSE(std::filesystem::exists("box_red.obj"));
  EXPECT_FALSE(std::filesystem::exists("../evil.obj"));
  const OBJRenderer written = model_of(root.read("box_.._evil.obj"));
  ASSERT_EQ(written.faces().size(), 1u);
  EXPECT_EQ(written.faces()[0].material_name, "../evil");
  EXPECT_EQ(corner_positions(written, written.faces()[0]), (Floats{0, 1, 0, 1, 0, 0, 0, 0, 0}));

  root.write("data/one.obj", "mtllib box.mtl\nusemtl red\n" + kTriangle);
  // Only the file name counts, also in an absolute path.
  OBJRenderer::split_file_by_material((root.path() / "data/one.obj").string(), true);
  EXPECT_EQ(model_of(root.read("one_red.obj")).faces().size(), 1u);

  EXPECT_TRUE(OBJRenderer::split_file_by_material("data/missing.obj", true).empty());
}

TEST(OBJCompositionTest, LoadFromSettingsJoinsFolderAndFile) {
  TempDataRoot root;
  root.write("models/table.obj", kTriangle);
  struct Case {
    std::string folder, path;
    int result;
  };
  const Case cases[] = {{"models", "models/table.obj", 0},
                        {"models/", "models/table.obj", 0},
                        {"models\\", "models\\table.obj", -1},
                        {"", "table.obj", -1}};
  for (const Case& c : cases) {
    OBJRenderer model;
    OutputCapture capture;
    EXPECT_EQ(model.load(ProgramCfg("obj_file = table.obj\n"), c.folder), c.result) << c.folder;
    EXPECT_NE(capture.out().find("OBJRenderer::load(): file " + c.path + ","), std::string::npos)
        << c.folder;
    if (c.result != 0) {
      EXPECT_NE(capture.err().find("OBJRenderer::load() error -1\n"), std::string::npos);
    }
  }

  // The "obj_" keys transform the model.
  OBJRenderer moved;
  OutputCapture quiet;
  ASSERT_EQ(moved.load(ProgramCfg("obj_file = table.obj\nobj_offset = 1 0 0\n"), "models"), 0);
  EXPECT_EQ(moved.vertices(), (Floats{-1, 0, 0, 0, 0, 0, -1, 1, 0}));
}

TEST(OBJCompositionTest, LoadWithoutObjFileLeavesTheModel) {
  OBJRenderer model = model_of(kTriangle);
  const OBJRenderer before = model;
  OutputCapture capture;
  EXPECT_EQ(model.load(ProgramCfg("obj_offset = 1 0 0\n"), "models"), 1);
  EXPECT_EQ(capture.err(), "OBJRenderer::load() error 1\n");
  EXPECT_EQ(capture.out(), "");
  EXPECT_EQ(model.vertices(), before.vertices());
  EXPECT_EQ(model.faces().size(), 1u);
}

TEST(OBJCompositionTest, LoadCfgReportsEachFailure) {
  TempDataRoot root;
  root.write("models/table.obj", kTriangle);
  root.write("cfg/table.ini", "obj_file = table.obj\nobj_center = 0 0 2\n");
  root.write("cfg/empty.ini", "obj_scale = 2 2 2\n");
  root.write("cfg/broken.ini", "obj_file = missing.obj\n");

  OBJRenderer model;
  OutputCapture capture;
  EXPECT_EQ(model.load_cfg("cfg/table.ini", "models"), 0);
  EXPECT_EQ(model.vertices(), (Floats{0, 0, 2, 1, 0, 2, 0, 1, 2}));
  EXPECT_EQ(capture.err(), "");

  EXPECT_EQ(OBJRenderer().load_cfg("cfg/none.ini", "models"), -1);
  EXPECT_EQ(capture.err(), "OBJRenderer::load_cfg() Error loading CFG file 'cfg/none.ini'\n");

  capture.reset();
  EXPECT_EQ(OBJRenderer().load_cfg("cfg/empty.ini", "models"), -1);
  EXPECT_EQ(capture.err(),
            "OBJRenderer::load() error 1\n"
            "OBJRenderer::load_cfg() Error loading OBJ from CFG file 'cfg/empty.ini'\n");

  capture.reset();
  EXPECT_EQ(OBJRenderer().load_cfg("cfg/broken.ini", "models"), -1);
  EXPECT_NE(capture.err().find("OBJRenderer::load() error -1\n"
                               "OBJRenderer::load_cfg() Error loading OBJ from CFG file "
                               "'cfg/broken.ini'\n"),
            std::string::npos);
}

TEST(OBJCompositionTest, OrientedModelsCarryTheirPoseThroughCopies) {
  Oriented<OBJRenderer> empty;
  EXPECT_TRUE(empty.faces().empty());
  EXPECT_TRUE(empty.enabled());
  EXPECT_EQ(empty.coord_sys().position(), (Vec3{0, 0, 0}));
  EXPECT_EQ(empty.coord_sys().rotation(), (Mat3{1, 0, 0, 0, 1, 0, 0, 0, 1}));

  Oriented<OBJRenderer> source;
  static_cast<OBJRenderer&>(source) = model_of(kTriangle);
  source.coord_sys().translate(1, 2, 3);
  source.coord_sys().rotate_local(90, 0, 0, 1);
  source.disable();

  const Oriented<OBJRenderer> copy(source);
  Oriented<OBJRenderer> assigned;
  assigned = copy;
  const Oriented<OBJRenderer> moved(std::move(assigned));
  for (const Oriented<OBJRenderer>* m : {&copy, &moved}) {
    EXPECT_EQ(m->coord_sys().position(), source.coord_sys().position());
    EXPECT_EQ(m->coord_sys().rotation(), source.coord_sys().rotation());
    EXPECT_FALSE(m->enabled());
    EXPECT_EQ(m->vertices(), source.vertices());
    EXPECT_EQ(m->faces().size(), 1u);
  }
}
