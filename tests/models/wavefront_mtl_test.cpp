// MTL reading and writing and the texture-map options, without OpenGL.
#include "models/wavefront_mtl.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/strings.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::OutputCapture;

namespace {

std::vector<WavefrontMTL> read(const std::string& text, bool reset = true,
                               bool ambient_from_diffuse = true) {
  OutputCapture quiet;
  std::istringstream in(text);
  return WavefrontMTL::load(in, reset, ambient_from_diffuse);
}

WavefrontMTL read_one(const std::string& text) {
  std::vector<WavefrontMTL> all = read(text);
  EXPECT_EQ(all.size(), 1u);
  return all.empty() ? WavefrontMTL() : all[0];
}

MTLTextureOptions options(const std::string& text, int first = 0) {
  MTLTextureOptions o;
  EXPECT_EQ(o.parse(split(text, ""), first), 0);
  return o;
}

}  // namespace

TEST(WavefrontMTLTest, EmptyTextGivesOneDefaultMaterialAndReportsTheCount) {
  OutputCapture capture;
  std::istringstream in("");
  const std::vector<WavefrontMTL> all = WavefrontMTL::load(in, true, true);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].name(), "Unnamed");
  EXPECT_EQ(all[0].illum(), 1);
  EXPECT_EQ(all[0].material().diffuse(), Material().diffuse());
  EXPECT_EQ(all[0].material().optical_density(), 1.0f);
  EXPECT_TRUE(all[0].map_options().empty());
  EXPECT_EQ(capture.out(), "WavefrontMTL::load() loaded 1 materials.\n");
}

TEST(WavefrontMTLTest, ResetDecidesWhetherTheNextMaterialStartsFresh) {
  const std::string text = "newmtl A\nKd 1 0 0\nmap_Kd a.png\nnewmtl B\n";
  const std::vector<WavefrontMTL> fresh = read(text, true);
  ASSERT_EQ(fresh.size(), 2u);
  EXPECT_EQ(fresh[0].name(), "A");
  EXPECT_EQ(fresh[1].name(), "B");
  EXPECT_EQ(fresh[1].material().diffuse(), Material().diffuse());
  EXPECT_TRUE(fresh[1].map_text().empty());
  const std::vector<WavefrontMTL> carried = read(text, false);
  ASSERT_EQ(carried.size(), 2u);
  EXPECT_EQ(carried[1].material().diffuse(), (Color4{1, 0, 0, 1}));
  EXPECT_EQ(carried[1].map_options().at("map_Kd").file, "a.png");
}

TEST(WavefrontMTLTest, StatementsSetColoursNumbersAndOpacity) {
  const WavefrontMTL m = read_one(
      "# a comment line\r\n"
      "newmtl  Felt   # trailing comment\r\n"
      "\tNs 96.5\r\n"
      "Ni 1.45\n"
      "Ka 0.1 0.1 0.1\n"
      "Kd 0.2 0.4\n"
      "Ks 0 0 0\n"
      "Ke 0.5 0.5 0.5\n"
      "illum 2 7\n"
      "x\n"
      "Unknown 1 2 3\n"
      "illum\n");
  EXPECT_EQ(m.name(), "Felt");
  EXPECT_EQ(m.material().shininess(), 96.5f);
  EXPECT_EQ(m.material().optical_density(), 1.45f);
  EXPECT_EQ(m.material().ambient(), (Color4{0.1f, 0.1f, 0.1f, 0}));
  // A statement with fewer numbers leaves the remaining components.
  EXPECT_EQ(m.material().diffuse(), (Color4{0.2f, 0.4f, 1, 1}));
  EXPECT_EQ(m.material().specular()[3], 0.0f);
  EXPECT_EQ(m.material().emission(), (Color4{0.5f, 0.5f, 0.5f, 1}));
  EXPECT_EQ(m.illum(), 2);

  const struct {
    const char* text;
    float opacity;
    bool transparent;
  } opacity[] = {
      {"Tr 0.25", 0.75f, true}, {"d 0.5", 0.5f, true},    {"d 0.99999994", 0.99999994f, false},
      {"Tr", 1.0f, false},      {"d 0.5\nd", 0.5f, true}, {"d 0.9999999", 0.9999999f, false}};
  for (const auto& c : opacity) {
    const WavefrontMTL o = read_one(c.text);
    EXPECT_EQ(o.material().alpha(), c.opacity) << c.text;
    EXPECT_EQ(o.transparent(), c.transparent) << c.text;
    EXPECT_EQ(o.opaque(), !c.transparent) << c.text;
  }
}

TEST(WavefrontMTLTest, AmbientFollowsDiffuseOnlyWhileUntouched) {
  EXPECT_EQ(read_one("Kd 0.2 0.4 0.6").material().ambient(), (Color4{0.2f, 0.4f, 0.6f, 1}));
  EXPECT_EQ(read_one("Ka 1 1 1\nKd 0.2 0.4 0.6").material().ambient(),
            (Color4{0.2f, 0.4f, 0.6f, 1}));
  EXPECT_EQ(read_one("Ka 0.1 0.1 0.1\nKd 0.2 0.4 0.6").material().ambient(),
            (Color4{0.1f, 0.1f, 0.1f, 0}));
  std::istringstream in("Kd 0.2 0.4 0.6");
  OutputCapture quiet;
  EXPECT_EQ(WavefrontMTL::load(in, true, false)[0].material().ambient(), Material().ambient());
}

TEST(WavefrontMTLTest, MapKeywordsAreNormalisedAndKeepTheirText) {
  const struct {
    const char* statement;
    const char* key;
    const char* file;
  } cases[] = {
      {"map_Kd wood.png", "map_Kd", "wood.png"}, {"bump -bm 0.5 n.png", "map_bump", "n.png"},
      {"map_bump n.png", "map_bump", "n.png"},   {"Pr 0.5", "map_Pr", "0.5"},
      {"Pm metal", "map_Pm", "metal"},           {"Ps s.png", "map_Ps", "s.png"},
      {"Pe e.png", "map_Pe", "e.png"},           {"map_Pr r.png", "map_Pr", "r.png"},
      {"disp d.png", "disp", "d.png"},           {"norm n.png", "norm", "n.png"},
      {"anisor a.png", "anisor", "a.png"},       {"map_d alpha.png", "map_d", "alpha.png"},
  };
  for (const auto& c : cases) {
    const WavefrontMTL m = read_one(c.statement);
    ASSERT_EQ(m.map_options().count(c.key), 1u) << c.statement;
    EXPECT_EQ(m.map_options().at(c.key).file, c.file) << c.statement;
    EXPECT_EQ(c.statement, split(c.statement, "")[0] + " " + m.map_text().at(c.key));
  }
  EXPECT_EQ(read_one("bump -bm 0.5 n.png").map_options().at("map_bump").bm, 0.5f);
  // A later statement of the same key replaces the earlier one.
  EXPECT_EQ(read_one("map_Kd -clamp on a.png\nmap_Kd b.png").map_options().at("map_Kd").clamp,
            false);
}

TEST(WavefrontMTLTest, MapFileIsTheRestOfTheLineAfterItsOptions) {
  const struct {
    const char* statement;
    const char* file;
  } cases[] = {
      {"map_Kd texture 01.png", "texture 01.png"},
      {"map_Kd -s 1 1 1 -bm 0.5 my  wood\tgrain.jpg", "my  wood\tgrain.jpg"},
      {"map_Kd .\\wood.jpg", "./wood.jpg"},
      {"map_Kd -clamp on C:\\Users\\me\\maps\\stone wall.png", "C:/Users/me/maps/stone wall.png"},
      {"map_Kd -cc on tex.png", "tex.png"},
      {"map_Kd -bm 1 1 n.png", "n.png"},  // a number more than the option takes
      {"map_Kd tex 1.png -clamp on", "tex 1.png"},
      {"map_Kd tex#1.png", "tex#1.png"},
      {"map_Kd tex.png # a comment", "tex.png"},
      {"map_Kd -unknown x.tga", "x.tga"},
  };
  for (const auto& c : cases) {
    const WavefrontMTL m = read_one(c.statement);
    EXPECT_EQ(m.map_options().at("map_Kd").file, c.file) << c.statement;
  }
  EXPECT_TRUE(read_one("map_Kd tex 1.png -clamp on").map_options().at("map_Kd").clamp);
  // The statement text is kept as read; the writer writes the file as parsed.
  const WavefrontMTL m = read_one("newmtl Stone#2 # comment\nmap_Kd -bm 2 .\\stone  wall.png\n");
  EXPECT_EQ(m.name(), "Stone#2");
  EXPECT_EQ(m.map_text().at("map_Kd"), "-bm 2 .\\stone  wall.png");
  std::ostringstream out;
  m.map_options().at("map_Kd").save(out);
  EXPECT_EQ(out.str(), "-bm 2 ./stone  wall.png\n");
}

TEST(MTLTextureOptionsTest, ParsesOptionsAroundTheFileName) {
  const MTLTextureOptions a = options("-blendu on -mm 0.1 0.9 -o 1 2 tex.png");
  EXPECT_TRUE(a.blendu);
  EXPECT_EQ(a.mm, (std::array<float, 2>{0.1f, 0.9f}));
  EXPECT_EQ(a.o, (std::array<float, 3>{1, 2, 0}));
  EXPECT_EQ(a.file, "tex.png");

  const MTLTextureOptions b = options("-s 2 2 2 albedo");
  EXPECT_EQ(b.s, (std::array<float, 3>{2, 2, 2}));
  EXPECT_EQ(b.file, "albedo");

  // A file name with a dot may stand first; the options then reach the end.
  const MTLTextureOptions c = options("tex.png -clamp on -bm 2");
  EXPECT_EQ(c.file, "tex.png");
  EXPECT_TRUE(c.clamp);
  EXPECT_EQ(c.bm, 2.0f);

  // An option whose argument would be the last word leaves it as the file name.
  const MTLTextureOptions d = options("-clamp tex.png");
  EXPECT_FALSE(d.clamp);
  EXPECT_EQ(d.file, "tex.png");
  const MTLTextureOptions e = options("-mm 5 tex");
  EXPECT_EQ(e.mm, (std::array<float, 2>{0, 1}));
  EXPECT_EQ(e.file, "tex");

  // Negative numbers are values, not options.
  const MTLTextureOptions f = options("-o -0.5 .25 1 9 -t -1 -2 -3 t.png");
  EXPECT_EQ(f.o, (std::array<float, 3>{-0.5f, 0.25f, 1}));
  EXPECT_EQ(f.t, (std::array<float, 3>{-1, -2, -3}));
  EXPECT_EQ(f.file, "t.png");

  const MTLTextureOptions g = options(
      "-imfchan r -type sphere -texres 512 -boost 1.5 -blendv off -clamp off -unknown x.tga");
  EXPECT_EQ(g.imfchan, 'r');
  EXPECT_EQ(g.type, "sphere");
  EXPECT_EQ(g.texres, "512");
  EXPECT_EQ(g.boost, 1.5f);
  EXPECT_FALSE(g.blendv);
  EXPECT_EQ(g.file, "x.tga");

  // The words of a file name are joined by one blank; "\\" reads as "/".
  EXPECT_EQ(options("-o 1 2 3 -clamp on maps\\old   wood.png").file, "maps/old wood.png");

  EXPECT_EQ(options("").file, "");
  EXPECT_EQ(options("map_Kd a.png", 1).file, "a.png");
  MTLTextureOptions h;
  h.parse({"", "-clamp", "", "on", "f.png", ""}, 0);
  EXPECT_TRUE(h.clamp);
  EXPECT_EQ(h.file, "f.png");
}

TEST(MTLTextureOptionsTest, WriterLeavesOutDefaultsAndReadsBack) {
  std::ostringstream plain;
  MTLTextureOptions d;
  d.file = "tex.png";
  EXPECT_EQ(d.save(plain), 0);
  EXPECT_EQ(plain.str(), "tex.png\n");

  MTLTextureOptions o;
  o.file = "x.png";
  o.blendu = o.blendv = o.clamp = true;
  o.boost = 0.5f;
  o.mm = {0.25f, 2};
  o.o = {0, 0, -1};
  o.s = {1, 1, 1};
  o.t = {0.5f, 0, 0};
  o.texres = "256";
  o.bm = 3;
  o.imfchan = 'm';
  o.type = "cube_top";
  std::ostringstream out;
  o.save(out);
  EXPECT_EQ(out.str(),
            "-blendu on -blendv on -boost 0.5 -mm 0.25 2 -o 0 0 -1 -s 1 1 1 -t 0.5 0 0 "
            "-texres 256 -clamp on -bm 3 -imfchan m -type cube_top x.png\n");
  const MTLTextureOptions back = options(out.str());
  EXPECT_TRUE(back.blendu && back.blendv && back.clamp);
  EXPECT_EQ(back.boost, o.boost);
  EXPECT_EQ(back.mm, o.mm);
  EXPECT_EQ(back.o, o.o);
  EXPECT_EQ(back.s, o.s);
  EXPECT_EQ(back.t, o.t);
  EXPECT_EQ(back.texres, o.texres);
  EXPECT_EQ(back.bm, o.bm);
  EXPECT_EQ(back.imfchan, o.imfchan);
  EXPECT_EQ(back.type, o.type);
  EXPECT_EQ(back.file, o.file);
}

TEST(WavefrontMTLTest, WriterUsesFixedPrecisionAndTheMinimum) {
  WavefrontMTL m = read_one(
      "newmtl Ball\nNs 10\nKd 0 0 0\nKs 0.5 0.25 1\nd 0.5\nillum 2\n"
      "map_Kd ball.png\nmap_bump -bm 2 n.png\n");
  m.map_text()["map_Ks"] = "shine.png";  // set by a caller, without parsed options
  m.map_text()["map_Ka"] = "";           // an empty statement is not written
  std::ostringstream out;
  EXPECT_EQ(m.save(out, 3, 0.001f), 0);
  EXPECT_EQ(out.str(),
            "newmtl Ball\n"
            "Ns 10.000\n"
            "Ka 0.001 0.001 0.001 \n"
            "Kd 0.001 0.001 0.001 \n"
            "Ks 0.500 0.250 1.000 \n"
            "Ke 0.001 0.001 0.001 \n"
            "Ni 1.000\n"
            "d 0.500\n"
            "illum 2\n"
            "map_Kd ball.png\n"
            "map_Ks shine.png\n"
            "map_bump -bm 2.000 n.png\n"
            "# warning: addt'l properties not implemented\n\n");

  // Read back, the written text gives the same material.
  OutputCapture quiet;
  std::istringstream in(out.str());
  const WavefrontMTL back = WavefrontMTL::load(in, true, false)[0];
  EXPECT_EQ(back.material().specular(), m.material().specular());
  EXPECT_EQ(back.material().alpha(), 0.5f);
  EXPECT_EQ(back.map_options().at("map_bump").bm, 2.0f);
  EXPECT_EQ(back.map_options().at("map_Ks").file, "shine.png");

  std::ostringstream broken;
  broken.setstate(std::ios::badbit);
  EXPECT_EQ(m.save(broken, 6, 0.001f), 1);
}

TEST(WavefrontMTLTest, FilesByPath) {
  testing_support::TempDataRoot root;
  OutputCapture capture;
  EXPECT_TRUE(WavefrontMTL::load("models/missing.mtl").empty());
  EXPECT_EQ(capture.err(), "OBJRenderer::load(): file 'models/missing.mtl' not found\n");

  WavefrontMTL m;
  m.rename("Cloth");
  m.material().diffuse() = {0.25f, 0.5f, 0.75f, 1};
  EXPECT_EQ(m.save("models/cloth.mtl", 6, 0.0f), 0);
  const std::vector<WavefrontMTL> back = WavefrontMTL::load("models/cloth.mtl");
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].name(), "Cloth");
  EXPECT_EQ(back[0].material().diffuse(), m.material().diffuse());
  EXPECT_EQ(m.save("no_such_folder/cloth.mtl", 6, 0.0f), 1);
}
