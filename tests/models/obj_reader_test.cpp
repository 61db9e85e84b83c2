// The OBJ reader: statements, comments and short lines, number buffers, face
// names, MTL files, malformed input, messages and the load path.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <sstream>
#include <streambuf>

#include "models/obj_renderer.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using Floats = std::vector<float>;
using Indices = std::vector<unsigned long long>;

namespace {

constexpr unsigned long long kNone = ULLONG_MAX;

int read_text(OBJRenderer& model, const std::string& text, OBJTransform* transform = nullptr) {
  std::istringstream in(text);
  return model.load(in, transform, false);
}

const std::string kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n";

// Hands out its text in pieces of 100 characters, so that a stream on it
// tells only the first piece's length when reading starts.
class PiecewiseText : public std::streambuf {
 public:
  explicit PiecewiseText(std::string text) : text_(std::move(text)) { next_piece(); }

 protected:
  int_type underflow() override {
    if (gptr() == egptr() && !next_piece()) return traits_type::eof();
    return traits_type::to_int_type(*gptr());
  }

 private:
  bool next_piece() {
    if (at_ == text_.size()) return false;
    const std::size_t n = std::min<std::size_t>(100, text_.size() - at_);
    char* piece = text_.data() + at_;
    setg(piece, piece, piece + n);
    at_ += n;
    return true;
  }

  std::string text_;
  std::size_t at_ = 0;
};

}  // namespace

TEST(OBJReaderTest, ReadsStatementsCommentsAndNumberBuffers) {
  OBJRenderer model;
  OutputCapture quiet;
  const int result = read_text(model,
                               "# a model\n"
                               "v 1 2 3 4\n"
                               "v 1 2\n"
                               "v 0 0 0 # the origin\n"
                               "vt 0.5 0.5\n"
                               "vn 0 0 1\n"
                               "vp 0.1\n"
                               "f 1/1/1 2/1/1 3/1/1\n"
                               "usemtl Wood\n"
                               "f 1/1/1 2/1/1 3/1/1\n"
                               "o Table\n"
                               "f 1//1 2//1 3//1\n"
                               "g top extra words\n"
                               "s off\n"
                               "usemtl\n"
                               "xx 1 2 3\n"
                               "#f 1//1 2//1 3//1\n"
                               "ab\n"
                               "f 3//1 2//1 1//1");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(model.loaded(), 1);
  // A fourth number is ignored; missing ones repeat the keyword's last ones.
  EXPECT_EQ(model.vertices(), (Floats{1, 2, 3, 1, 2, 3, 0, 0, 0}));
  EXPECT_EQ(model.tex_coords(), (Floats{0.5f, 0.5f, 0}));
  EXPECT_EQ(model.normals(), (Floats{0, 0, 1}));
  EXPECT_EQ(model.param_coords(), (Floats{0.1f, 0, 0}));
  ASSERT_EQ(model.faces().size(), 4u);
  const OBJFace& first = model.faces()[0];
  EXPECT_EQ(first.material_name, "None");
  EXPECT_EQ(first.v, (Indices{0, 1, 2}));
  EXPECT_EQ(first.vt, (Indices{0, 0, 0}));
  EXPECT_EQ(model.faces()[1].material_name, "Wood");
  EXPECT_TRUE(model.faces()[1].object_name.empty());
  const OBJFace& third = model.faces()[2];
  EXPECT_EQ(third.material_name, "Wood");
  EXPECT_EQ(third.object_name, "Table");
  EXPECT_TRUE(third.vt.empty());
  const OBJFace& last = model.faces()[3];
  EXPECT_EQ(last.group_name, "top");
  EXPECT_EQ(last.smoothing_group, "off");
  EXPECT_EQ(last.material_name, "Wood");
  EXPECT_EQ(last.v, (Indices{2, 1, 0}));
  // Bounds and average are recomputed after the read.
  EXPECT_EQ(model.average_vertex(),
            (OBJRenderer::Vec{2.0f * (1.0f / 3), 4.0f * (1.0f / 3), 6.0f * (1.0f / 3)}));
  EXPECT_EQ(model.lower_upper_bounds()[1], (OBJRenderer::Vec{1, 2, 3}));
  EXPECT_EQ(model.bounding_box_corners()[6], (OBJRenderer::Vec{0, 2, 3}));
}

TEST(OBJReaderTest, TextWithoutUsableLinesReturnsMinusOneAndChangesNothing) {
  for (const std::string text : {"", "# comment\n\nab\n  \n#v 1 2 3\nv #1 2 3\r\nv\t#1\n", "xy"}) {
    OBJRenderer model;
    model.auto_create_vaos(true, true);
    OutputCapture capture;
    EXPECT_EQ(read_text(model, text), -1);
    EXPECT_EQ(model.loaded(), 0);
    EXPECT_TRUE(model.vertices().empty());
    EXPECT_TRUE(capture.out().empty() && capture.err().empty());
    // Without a window no VAO is to be made on the model's behalf.
    EXPECT_EQ(model.auto_create_vaos(), (std::array<bool, 2>{false, false}));
  }
  // A carriage return stays in the line and counts toward its length.
  OBJRenderer model;
  OutputCapture capture;
  EXPECT_EQ(read_text(model, "ab\r\n"), 0);
  EXPECT_EQ(model.loaded(), 1);
  EXPECT_EQ(capture.err(),
            "OBJRenderer::load() warning: the text yields no face, vertex or material\n");
}

TEST(OBJReaderTest, TextThatYieldsNothingIsReported) {
  const std::string warning = "the text yields no face, vertex or material";
  const struct {
    const char* text;
    bool warned;
  } cases[] = {
      {"xx 1 2 3\nnot a model at all\n", true},
      {"v#1 2 3\nnewmtl Wood\n", true},  // "#" inside a word is no comment
      {"f 1 2 3\n", true},               // its face names no vertex
      {"usemtl Wood\ng top\n", true},
      {"v 1 2 3\n", false},
      {"mtllib a.mtl\n", false},
  };
  for (const auto& c : cases) {
    OBJRenderer model;
    model.load_materials(false);
    OutputCapture capture;
    EXPECT_EQ(read_text(model, c.text), 0) << c.text;
    EXPECT_EQ(model.loaded(), 1) << c.text;
    EXPECT_EQ(capture.err().find(warning) != std::string::npos, c.warned)
        << c.text << capture.err();
  }
  // What the model held before does not count for the new text.
  OBJRenderer model;
  OutputCapture capture;
  ASSERT_EQ(read_text(model, kTriangle), 0);
  EXPECT_EQ(read_text(model, "xx 1 2 3\n"), 0);
  EXPECT_NE(capture.err().find(warning), std::string::npos);
}

TEST(OBJReaderTest, FacesOfEveryCornerFormAndRelativeIndices) {
  // Three vertices, three texture coordinates, one normal.
  const std::string base = kTriangle + "vt 0 0\nvt 1 0\nvt 0 1\n";
  const struct {
    const char* name;
    std::string text;
    std::vector<std::array<Indices, 3>> faces;  // v, vt, vn of each face kept
  } cases[] = {
      {"v", "f 1 2 3\n", {{{{0, 1, 2}, {}, {}}}}},
      {"v/", "f 1/ 2/ 3/\n", {{{{0, 1, 2}, {}, {}}}}},
      {"v/t", "f 1/1 2/2 3/3\n", {{{{0, 1, 2}, {0, 1, 2}, {}}}}},
      {"v//n", "f 1//1 2//1 3//1\n", {{{{0, 1, 2}, {}, {0, 0, 0}}}}},
      {"v/t/n", "f 1/1/1 2/2/1 3/3/1\n", {{{{0, 1, 2}, {0, 1, 2}, {0, 0, 0}}}}},
      {"mixed in one face", "f 1 2/3 3//1\n", {{{{0, 1, 2}, {2}, {0}}}}},
      {"mixed across faces",
       "f 1 2 3\nf 3/3 2/2 1/1\nf 1/1/1 2//1 3/3/1\n",
       {{{{0, 1, 2}, {}, {}}}, {{{2, 1, 0}, {2, 1, 0}, {}}}, {{{0, 1, 2}, {0, 2}, {0, 0, 0}}}}},
      // Relative indices count back from what has been read when the face is.
      {"relative",
       "f -3/-3/-1 -2/-2/-1 -1/-1/-1\nv 1 1 0\nvt 1 1\nf -4 -3 -1\nf -1/-1 -2/-2 -3/-3\n",
       {{{{0, 1, 2}, {0, 1, 2}, {0, 0, 0}}}, {{{0, 1, 3}, {}, {}}}, {{{3, 2, 1}, {3, 2, 1}, {}}}}},
      {"comment after a blank",
       "f 1 2 3 # a triangle\nf 3 2 1\t#x\n",
       {{{{0, 1, 2}, {}, {}}}, {{{2, 1, 0}, {}, {}}}}},
  };
  for (const auto& c : cases) {
    OBJRenderer model;
    OutputCapture capture;
    ASSERT_EQ(read_text(model, base + c.text), 0) << c.name;
    EXPECT_EQ(capture.err(), "") << c.name;
    ASSERT_EQ(model.faces().size(), c.faces.size()) << c.name;
    for (std::size_t i = 0; i < c.faces.size(); ++i) {
      const OBJFace& f = model.faces()[i];
      EXPECT_EQ((std::array<Indices, 3>{f.v, f.vt, f.vn}), c.faces[i]) << c.name << ", face " << i;
    }
  }
}

TEST(OBJReaderTest, HashInsideAWordBelongsToTheName) {
  OBJRenderer model;
  OutputCapture quiet;
  ASSERT_EQ(read_text(model, kTriangle + "usemtl Material#25\n"
                                         "g Group#1 # the first group\n"
                                         "o Box#2\n"
                                         "f 1 2 3\n"
                                         "usemtl Material#26\t# a comment after a tab\n"
                                         "f 3 2 1\n"),
            0);
  ASSERT_EQ(model.faces().size(), 2u);
  EXPECT_EQ(model.faces()[0].material_name, "Material#25");
  EXPECT_EQ(model.faces()[0].group_name, "Group#1");
  EXPECT_EQ(model.faces()[0].object_name, "Box#2");
  EXPECT_EQ(model.faces()[1].material_name, "Material#26");
}

TEST(OBJReaderTest, VerboseProgressRunsTogetherOnOneLine) {
  TempDataRoot root;
  OBJRenderer model;
  OBJTransform transform;
  OutputCapture capture;
  std::istringstream in(kTriangle + "mtllib none.mtl\nf 1//1 2//1 3//1\n");
  EXPECT_EQ(model.load(in, &transform, true), 0);
  EXPECT_EQ(capture.out(),
            "Reading lines... Parsing lines... Converting data... Loading MTL... "
            "Transforming OBJ... ");
  EXPECT_EQ(capture.err(),
            "Warning: material file none.mtl not found. Inserting default material.\n");

  capture.reset();
  std::istringstream empty("# nothing\n");
  EXPECT_EQ(model.load(empty, nullptr, true), -1);
  EXPECT_EQ(capture.out(), "Reading lines... ");
}

TEST(OBJReaderTest, ReadingTheSameTextTwiceAppends) {
  OBJRenderer model;
  const std::string text = kTriangle + "usemtl A\nf 1//1 2//1 3//1\n";
  OutputCapture quiet;
  ASSERT_EQ(read_text(model, text), 0);
  ASSERT_EQ(read_text(model, text), 0);
  EXPECT_EQ(model.vertices().size(), 18u);
  EXPECT_EQ(model.normals().size(), 6u);
  ASSERT_EQ(model.faces().size(), 2u);
  // The second copy's faces index the first copy's vertices.
  EXPECT_EQ(model.faces()[1].v, (Indices{0, 1, 2}));
  EXPECT_EQ(model.faces()[1].material_name, "A");

  // Relative indices reach the latest entries, those of the second copy.
  OBJRenderer relative;
  const std::string back = kTriangle + "f -3//-1 -2//-1 -1//-1\n";
  ASSERT_EQ(read_text(relative, back), 0);
  ASSERT_EQ(read_text(relative, back), 0);
  ASSERT_EQ(relative.faces().size(), 2u);
  EXPECT_EQ(relative.faces()[1].v, (Indices{3, 4, 5}));
  EXPECT_EQ(relative.faces()[1].vn, (Indices{1, 1, 1}));
}

// Lists of several MiB grow in large blocks of their own: every entry stays
// in place and in order across the moves, also behind entries read before.
TEST(OBJReaderTest, LongListsKeepEveryEntryInOrder) {
  constexpr int kCount = 150000;
  std::string text;
  for (int i = 0; i < kCount; ++i) {
    const std::string n = std::to_string(i);
    text += "v " + n + " -" + n + " 0.5\nvt " + n + " 0.25 1\nvn 0 1 " + n + "\n";
  }
  text += "f 1/1/1 2/2/2 " + std::to_string(kCount) + "/1/1\n";
  OBJRenderer model;
  OutputCapture quiet;
  ASSERT_EQ(read_text(model, kTriangle + "f 1 2 3\n"), 0);
  ASSERT_EQ(read_text(model, text), 0);

  const std::size_t before = 3;  // the triangle's vertices and its one normal
  ASSERT_EQ(model.vertices().size(), 3 * (before + kCount));
  ASSERT_EQ(model.tex_coords().size(), 3u * kCount);
  ASSERT_EQ(model.normals().size(), 3 * (1 + kCount));
  EXPECT_EQ(std::vector<float>(model.vertices().begin(), model.vertices().begin() + 9),
            (Floats{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  int wrong = 0;
  for (int i = 0; i < kCount; ++i) {
    const float f = static_cast<float>(i);
    const float* v = &model.vertices()[3 * (before + i)];
    const float* vt = &model.tex_coords()[3 * i];
    const float* vn = &model.normals()[3 * (1 + i)];
    wrong += v[0] != f || v[1] != -f || v[2] != 0.5f || vt[0] != f || vt[1] != 0.25f ||
             vt[2] != 1 || vn[0] != 0 || vn[1] != 1 || vn[2] != f;
  }
  EXPECT_EQ(wrong, 0);
  ASSERT_EQ(model.faces().size(), 2u);
  EXPECT_EQ(model.faces()[1].v, (Indices{0, 1, kCount - 1}));
}

// The text is read in blocks of 1 MiB; a line of several blocks, and one
// that starts near the end of a block, are read whole.
TEST(OBJReaderTest, LinesLongerThanTheReadBlockStayWhole) {
  const std::string name(3 << 20, 'n');
  const std::string filler = "# " + std::string((1 << 20) - 10, '-') + "\n";
  OBJRenderer model;
  OutputCapture quiet;
  ASSERT_EQ(read_text(model, filler + kTriangle + "g " + name + "\nf 1 2 3\nf 3 2 1"), 0);
  ASSERT_EQ(model.faces().size(), 2u);
  EXPECT_EQ(model.faces()[0].group_name.size(), name.size());
  EXPECT_EQ(model.faces()[1].group_name, name);
  EXPECT_EQ(model.faces()[1].v, (Indices{2, 1, 0}));
  EXPECT_EQ(model.vertices().size(), 9u);
}

// A stream that tells less than its whole text still gives every line.
TEST(OBJReaderTest, TextLongerThanTheStreamTellsIsReadWhole) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "v " + std::to_string(i) + " 0 0\n";
  PiecewiseText pieces(text + "f 1 2 3000");
  std::istream in(&pieces);
  ASSERT_EQ(in.rdbuf()->in_avail(), 100);
  OBJRenderer model;
  OutputCapture quiet;
  ASSERT_EQ(model.load(in, nullptr, false), 0);
  ASSERT_EQ(model.vertices().size(), 9000u);
  EXPECT_EQ(model.vertices()[3 * 2999], 2999.0f);
  ASSERT_EQ(model.faces().size(), 1u);
  EXPECT_EQ(model.faces()[0].v, (Indices{0, 1, 2999}));
}

TEST(OBJReaderTest, MalformedLines) {
  const struct {
    const char* name;
    std::string text;
    std::vector<Indices> v;  // of the faces kept
    const char* warning;     // "" for none
  } cases[] = {
      {"index 0",
       "f 0//1 1//1 2//1\nf 1//1 2//1 3//1\n",
       {{0, 1, 2}},
       "1 faces dropped: vertex indices outside the vertex list"},
      {"past the end", "f 1//1 2//1 9//1\n", {}, "faces dropped: vertex indices outside"},
      {"before the first vertex",
       "f -1//1 -2//1 -4//1\n",
       {},
       "faces dropped: vertex indices outside"},
      {"two corners", "f 1//1 2//1\n", {}, "1 faces dropped: fewer than three corners"},
      {"no corners", "f    \n", {}, "faces dropped: fewer than three corners"},
      {"four parts",
       "f 1/1/1/1 2//1 3//1\n",
       {},
       "1 face statements dropped: corners of another form"},
      {"mixed forms", "f 1/1/1 2//1 3/1\n", {{0, 1, 2}}, ""},
      {"later vertex", "f 1//1 2//1 4//1\nv 1 1 1\n", {{0, 1, 3}}, ""},
      {"CRLF",
       "f 1//1 2//1 3//1\r\nusemtl Felt\r\nf 3//1 2//1 1//1\r\n",
       {{0, 1, 2}, {2, 1, 0}},
       ""},
  };
  for (const auto& c : cases) {
    OBJRenderer model;
    OutputCapture capture;
    ASSERT_EQ(read_text(model, kTriangle + c.text), 0) << c.name;
    ASSERT_EQ(model.faces().size(), c.v.size()) << c.name;
    for (std::size_t i = 0; i < c.v.size(); ++i) EXPECT_EQ(model.faces()[i].v, c.v[i]) << c.name;
    if (*c.warning) {
      EXPECT_NE(capture.err().find(std::string("OBJRenderer::load() warning: ")), std::string::npos)
          << c.name;
      EXPECT_NE(capture.err().find(c.warning), std::string::npos) << c.name << capture.err();
    } else {
      EXPECT_EQ(capture.err(), "") << c.name;
    }
  }
  OBJRenderer model;
  OutputCapture capture;
  ASSERT_EQ(read_text(model, kTriangle + "f 1/1/1 2//1 3/1\nusemtl Felt\r\nf 1//1 2//1 3//1\n"), 0);
  // The corner without a texture index leaves a gap; the one without a
  // normal makes a shorter normal list.
  EXPECT_EQ(model.faces()[0].vt, (Indices{0, 0}));
  EXPECT_EQ(model.faces()[0].vn, (Indices{0, 0}));
  EXPECT_EQ(model.faces()[1].material_name, "Felt");
}

TEST(OBJReaderTest, NumbersThatAreNotFiniteReadAsZero) {
  OBJRenderer model;
  OutputCapture capture;
  ASSERT_EQ(read_text(model, "v nan 1 2\nv 1e99 -inf 3\nvn abc 0 1\nv 0x10 +2 1e-2\n"), 0);
  EXPECT_EQ(model.vertices(), (Floats{0, 1, 2, 0, 0, 3, 16, 2, 0.01f}));
  // A word that is no number reads as 0, as before.
  EXPECT_EQ(model.normals(), (Floats{0, 0, 1}));
  EXPECT_NE(capture.err().find("OBJRenderer::load() warning: 3 numbers that are not finite "
                               "read as 0"),
            std::string::npos);
}

TEST(OBJReaderTest, MtllibNamesOnceAndMissingFilesGiveDefaultMaterials) {
  TempDataRoot root;
  OBJRenderer model;
  OutputCapture capture;
  ASSERT_EQ(read_text(model, "mtllib a.mtl\nmtllib a.mtl\nmtllib   b.mtl \r\nmtllib\n" + kTriangle),
            0);
  EXPECT_EQ(model.mtl_files(), (std::vector<std::string>{"a.mtl", "b.mtl"}));
  ASSERT_EQ(model.materials().size(), 2u);
  EXPECT_EQ(model.materials()[0].name(), "Unnamed");
  EXPECT_EQ(capture.err(),
            "Warning: material file a.mtl not found. Inserting default material.\n"
            "Warning: material file b.mtl not found. Inserting default material.\n");

  OBJRenderer without;
  without.load_materials(false);
  ASSERT_EQ(read_text(without, "mtllib a.mtl\n" + kTriangle), 0);
  EXPECT_TRUE(without.materials().empty());
  EXPECT_EQ(without.mtl_files().size(), 1u);
}

TEST(OBJReaderTest, MtllibLineIsOneFileNameOnlyWhenThatFileExists) {
  TempDataRoot root;
  root.write("my file.mtl", "newmtl Mine\n");
  root.write("models/room/wall paper.mtl", "newmtl Paper\n");
  const struct {
    const char* line;
    const char* load_path;
    std::vector<std::string> names;
  } cases[] = {
      {"mtllib a.mtl b.mtl", "", {"a.mtl", "b.mtl"}},
      {"mtllib a.mtl\tb.mtl  a.mtl c.mtl\r", "", {"a.mtl", "b.mtl", "c.mtl"}},
      {"mtllib my file.mtl", "", {"my file.mtl"}},
      {"mtllib wall paper.mtl", "models/room/", {"wall paper.mtl"}},
      {"mtllib wall paper.mtl", "", {"wall", "paper.mtl"}},
      {"mtllib Material#1.mtl # the materials", "", {"Material#1.mtl"}},
  };
  for (const auto& c : cases) {
    OBJRenderer model;
    model.load_materials(false);
    model.load_path(c.load_path);
    OutputCapture quiet;
    ASSERT_EQ(read_text(model, std::string(c.line) + "\n" + kTriangle), 0) << c.line;
    EXPECT_EQ(model.mtl_files(), c.names) << c.line;
  }
  OBJRenderer model;
  OutputCapture quiet;
  model.load_path("models/room/");
  ASSERT_EQ(read_text(model, "mtllib my file.mtl\nmtllib wall paper.mtl\n" + kTriangle), 0);
  ASSERT_EQ(model.materials().size(), 2u);
  EXPECT_EQ(model.materials()[0].name(), "Mine");
  EXPECT_EQ(model.materials()[1].name(), "Paper");
}

TEST(OBJReaderTest, PathFormSetsTheLoadPathAndReportsMissingFiles) {
  TempDataRoot root;
  root.write("models/room/room.obj",
             "mtllib room.mtl\n" + kTriangle + "usemtl Felt\nf 1//1 2//1 3//1\n");
  root.write("models/room/room.mtl", "newmtl Felt\nKd 0 1 0\nnewmtl Wall\nd 0.5\n");
  {
    OBJRenderer model;
    OutputCapture capture;
    EXPECT_EQ(model.load("missing.obj"), -1);
    EXPECT_EQ(capture.out(), "OBJRenderer::load(): file missing.obj, load path = \n");
    EXPECT_EQ(capture.err(), "OBJRenderer::load(): file 'missing.obj' not found\n");
    capture.reset();
    EXPECT_EQ(model.load("models\\room"), -1);
    EXPECT_EQ(model.load_path(), "models/");
  }
  // Relative, through the constructor, and absolute: the materials are found
  // in the model's folder either way.
  const std::string absolute = (root.path() / "models/room/room.obj").string();
  for (const std::string& path : {std::string("models/room/room.obj"), absolute}) {
    OutputCapture capture;
    const OBJRenderer model(path);
    EXPECT_EQ(model.loaded(), 1) << path;
    const std::string folder = path.substr(0, path.size() - std::string("room.obj").size());
    EXPECT_EQ(model.load_path(), folder);
    EXPECT_EQ(capture.out().rfind(
                  "OBJRenderer::load(): file " + path + ", load path = " + folder + "\n", 0),
              0u);
    ASSERT_EQ(model.materials().size(), 2u) << capture.err();
    EXPECT_EQ(model.materials()[0].name(), "Felt");
    EXPECT_EQ(model.materials()[1].material().alpha(), 0.5f);
  }
  EXPECT_EQ(absolute.front(), '/');
}

TEST(OBJReaderTest, TransformIsAppliedBeforeTheBounds) {
  OBJRenderer model;
  OBJTransform transform;
  transform.scale = {2, 2, 2};
  OutputCapture quiet;
  ASSERT_EQ(read_text(model, kTriangle + "f 1//1 2//1 3//1\n", &transform), 0);
  EXPECT_EQ(model.vertices(), (Floats{0, 0, 0, 2, 0, 0, 0, 2, 0}));
  EXPECT_EQ(model.lower_upper_bounds()[1], (OBJRenderer::Vec{2, 2, 0}));
}
