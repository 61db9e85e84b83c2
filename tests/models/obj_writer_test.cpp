// The OBJ and MTL writers of OBJRenderer: the exact text, the options, file
// errors, round trips through the reader, and the extension helper.
#include "models/obj_writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/files.h"
#include "model_text.h"
#include "models/obj_renderer.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::material_named;
using testing_support::model_of;
using testing_support::OutputCapture;
using testing_support::TempDataRoot;

namespace {

const std::string kHeader = "# OBJ file created by Merivane, LLC.\n# www.merivane.com\n";

// Faces in model order: glass (transparent) with normals, red with all three
// indices, red without texture coordinates or normals and, once the fixture
// has cleared it, without an object name.
OBJRenderer fixture() {
  OBJRenderer model = model_of(
      "mtllib scene.mtl\n"
      "v 1 2 3\nv 0.5 0 0\nv 0 1 0\nv 0 0 1\n"
      "vt 0 0 0\nvt 1 0 0\nvt 1 1 0\nvn 0 0 1\n"
      "o a\ng top\nusemtl glass\ns 1\nf 1//1 2//1 3//1\n"
      "usemtl red\nf 1/1/1 3/3/1 4/2/1\nf 1// 2// 3//\n");
  model.materials() = {material_named("glass", 0.5f), material_named("red", 1.0f)};
  model.faces()[2].object_name.clear();
  return model;
}

std::string text_of(const OBJRenderer& model, OBJSaveOptions options = OBJSaveOptions()) {
  std::ostringstream out;
  EXPECT_EQ(model.save(out, std::move(options)), 0);
  return out.str();
}

// The model written with the options and read back.
OBJRenderer round_trip(const OBJRenderer& model, OBJSaveOptions options = OBJSaveOptions()) {
  OutputCapture quiet;
  return model_of(text_of(model, std::move(options)));
}

void expect_same_model(const OBJRenderer& read, const OBJRenderer& model) {
  EXPECT_EQ(read.vertices(), model.vertices());
  EXPECT_EQ(read.normals(), model.normals());
  EXPECT_EQ(read.tex_coords(), model.tex_coords());
  ASSERT_EQ(read.faces().size(), model.faces().size());
  for (std::size_t i = 0; i < model.faces().size(); ++i) {
    const OBJFace& a = read.faces()[i];
    const OBJFace& b = model.faces()[i];
    EXPECT_EQ(a.v, b.v) << "face " << i;
    EXPECT_EQ(a.vt, b.vt) << "face " << i;
    EXPECT_EQ(a.vn, b.vn) << "face " << i;
    EXPECT_EQ(a.object_name, b.object_name) << "face " << i;
    EXPECT_EQ(a.group_name, b.group_name) << "face " << i;
    EXPECT_EQ(a.material_name, b.material_name) << "face " << i;
    EXPECT_EQ(a.smoothing_group, b.smoothing_group) << "face " << i;
  }
}

}  // namespace

TEST(OBJWriterTest, TextGroupsFacesByMaterialAndStatesOnlyChanges) {
  const OBJRenderer model = fixture();
  EXPECT_EQ(text_of(model), kHeader +
                                "mtllib scene.mtl\n"
                                "v 1.000000e+00 2.000000e+00 3.000000e+00 \n"
                                "v 5.000000e-01 0.000000e+00 0.000000e+00 \n"
                                "v 0.000000e+00 1.000000e+00 0.000000e+00 \n"
                                "v 0.000000e+00 0.000000e+00 1.000000e+00 \n"
                                "vn 0.000000e+00 0.000000e+00 1.000000e+00 \n"
                                "vt 0.000000e+00 0.000000e+00 0.000000e+00 \n"
                                "vt 1.000000e+00 0.000000e+00 0.000000e+00 \n"
                                "vt 1.000000e+00 1.000000e+00 0.000000e+00 \n"
                                // Opaque materials first; a face without an object name
                                // gets no "o", and the next face with one states it again.
                                "o a\ng top\nusemtl red\ns 1\n"
                                "f 1/1/1 3/3/1 4/2/1 \n"
                                "f 1// 2// 3// \n"
                                "o a\nusemtl glass\n"
                                "f 1//1 2//1 3//1 \n");
}

TEST(OBJWriterTest, OptionsAndObjectSelection) {
  OBJRenderer model = fixture();
  OBJSaveOptions options;
  options.scientific = false;
  options.mtl_file = "out/models\\room.mtl";
  const std::string general = text_of(model, options);
  EXPECT_EQ(general.substr(0, general.find("vn ")),
            kHeader + "mtllib room.mtl\nv 1 2 3 \nv 0.5 0 0 \nv 0 1 0 \nv 0 0 1 \n");

  options.mtl_file = "/room.mtl";
  EXPECT_EQ(text_of(model, options).substr(kHeader.size(), 16), "mtllib room.mtl\n");

  options = OBJSaveOptions();
  options.precision = 2;
  EXPECT_NE(text_of(model, options).find("v 1.00e+00 2.00e+00 3.00e+00 \n"), std::string::npos);

  // Faces of excluded objects are not written.
  model.excluded_objects() = {"a"};
  const std::string text = text_of(model);
  EXPECT_EQ(text.substr(text.rfind("vt ")),
            "vt 1.000000e+00 1.000000e+00 0.000000e+00 \n"
            "g top\nusemtl red\ns 1\nf 1// 2// 3// \n");
}

TEST(OBJWriterTest, ModelWithoutFacesWritesHeaderAndVerticesOnly) {
  const OBJRenderer model = model_of("v 1 2 3\n");
  EXPECT_EQ(text_of(model), kHeader + "v 1.000000e+00 2.000000e+00 3.000000e+00 \n");
  EXPECT_EQ(text_of(OBJRenderer()), kHeader);
  expect_same_model(round_trip(model), model);
  OutputCapture quiet;
  EXPECT_EQ(text_of(model_of("v 1 2 3\nv 0 1 0\nv 0 0 1\nf 1// 2// 3//\n").from_faces({})),
            kHeader);
}

TEST(OBJWriterTest, RoundTripKeepsGeometryAndEveryFace) {
  // Every corner form the writer produces, in one material so that the
  // faces keep their order.
  const OBJRenderer model = model_of(
      "v 1 2 3\nv -0.25 0 1e-07\nv 4 5 6\nv 0 0 1\n"
      "vt 0 0.5 0\nvt 1 0 0\nvt 0.125 1 0\nvn 0 0 1\nvn 0 1 0\n"
      "o box\ng sides\nusemtl m\ns off\n"
      "f 1/1/1 2/2/1 3/3/2\nf 1//2 3//2 4//1\nf 1/3 2/2 3/1 4/1\nf 4// 3// 1//\n");
  ASSERT_EQ(model.faces().size(), 4u);
  ASSERT_TRUE(model.faces()[3].vt.empty() && model.faces()[3].vn.empty());
  expect_same_model(round_trip(model), model);

  // Nine digits keep any float.
  OBJRenderer exact = model;
  for (float& x : exact.vertices()) x = x / 3.0f + 1e-3f;
  OBJSaveOptions options;
  options.precision = 9;
  expect_same_model(round_trip(exact, options), exact);
}

TEST(OBJWriterTest, TwoComponentTextureCoordinatesWriteOneLinePerVertex) {
  // A model filled from arrays, as render models arrive: two texture
  // components per vertex and one face per three vertices.
  OBJRenderer model;
  model.vertices() = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 2, 0, 0, 0, 2, 0};
  model.normals() = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
  model.tex_coords() = {0, 0, 1, 0, 0, 1, 1, 1, 0.5f, 0, 0, 0.5f};
  model.attrib_depths({3, 3, 2, 0});
  model.vertices2faces(3, true, true);
  OBJSaveOptions options;
  options.scientific = false;
  OutputCapture quiet;
  const std::string text = text_of(model, options);
  EXPECT_NE(text.find("vt 0 0 \nvt 1 0 \nvt 0 1 \nvt 1 1 \nvt 0.5 0 \nvt 0 0.5 \nusemtl"),
            std::string::npos)
      << text;

  // Read back, every corner names a coordinate that exists.
  const OBJRenderer read = model_of(text);
  ASSERT_EQ(read.tex_coords().size(), 6u * 3);
  EXPECT_EQ(read.faces().size(), 2u);
  EXPECT_EQ(read.faces()[1].vt, (std::vector<unsigned long long>{3, 4, 5}));
  EXPECT_EQ(read.tex_coords()[3 * 4], 0.5f);
}

TEST(OBJWriterTest, MtlTextWritesEveryMaterialWithAMinimum) {
  OBJRenderer model = fixture();
  model.materials()[0].material().diffuse() = {0, 0.5f, 1, 1};
  std::ostringstream out;
  EXPECT_EQ(model.save_mtl(out), 0);
  std::ostringstream expected;
  expected << "# MTL file created by Merivane, LLC.\n# www.merivane.com\n";
  for (const WavefrontMTL& m : model.materials()) m.save(expected, 6, 0.001f);
  EXPECT_EQ(out.str(), expected.str());
  EXPECT_NE(out.str().find("Kd 0.001000 0.500000 1.000000 \n"), std::string::npos);

  std::istringstream in(out.str());
  OutputCapture quiet;
  const std::vector<WavefrontMTL> read = WavefrontMTL::load(in, true, false);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].name(), "glass");
  EXPECT_FLOAT_EQ(read[0].material().alpha(), 0.5f);
  EXPECT_EQ(read[1].name(), "red");
}

TEST(OBJWriterTest, FilesAndStreamFailures) {
  TempDataRoot root;
  const OBJRenderer model = fixture();
  {
    OutputCapture capture;
    EXPECT_EQ(model.save("models/scene.obj", OBJSaveOptions()), 0);
    EXPECT_EQ(model.save_mtl(OBJRenderer::get_mtl_file("models/scene.obj")), 0);
    EXPECT_EQ(capture.err(), "");
  }
  EXPECT_EQ(root.read("models/scene.obj"), text_of(model));
  std::ostringstream mtl;
  model.save_mtl(mtl);
  EXPECT_EQ(root.read("models/scene.mtl"), mtl.str());

  {
    OutputCapture capture;
    EXPECT_EQ(model.save("no/such/scene.obj", OBJSaveOptions()), -1);
    EXPECT_EQ(model.save_mtl("no/such/scene.mtl"), -1);
    EXPECT_EQ(capture.err(), "OBJRenderer::save(): error writing file no/such/scene.obj\n");
  }

  // Streams that fail while writing, and a file whose bytes never arrive.
  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  EXPECT_EQ(model.save(broken, OBJSaveOptions()), 1);
  EXPECT_EQ(model.save_mtl(broken), 1);
  if (file_exists("/dev/full")) {
    EXPECT_EQ(model.save("/dev/full", OBJSaveOptions()), 1);
    EXPECT_EQ(model.save_mtl("/dev/full"), 1);
  }
}

TEST(OBJWriterTest, ReplaceExtension) {
  struct Case {
    std::string path, ext, expected;
  };
  const Case cases[] = {
      {"a.obj", "png", "a.png"},
      {"a.obj", ".png", "a.png"},
      {"a.obj", "", "a.obj"},
      {"a", "mtl", "a.mtl"},
      {"a.b.obj", "mtl", "a.b.mtl"},
      {"models/room.obj", "mtl", "models/room.mtl"},
      {"pack.v2/room", "mtl", "pack.v2/room.mtl"},
      {"pack.v2\\room.obj", "mtl", "pack.v2\\room.mtl"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(replace_ext(c.path, c.ext, '.'), c.expected) << c.path << " " << c.ext;
  EXPECT_EQ(OBJRenderer::get_mtl_file("models/room.obj"), "models/room.mtl");
}
