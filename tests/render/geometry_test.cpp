// Detailed sets' level allocation and lazy queue, and the ownership rules of
// ParameterizedGeometry and GeomObj; nothing here needs OpenGL.
#include "render/geometry.h"

#include <gtest/gtest.h>

#include "support/capture.h"

using testing_support::OutputCapture;

namespace {

class Thing : public GeomObj {
 public:
  using GeomObj::GeomObj;
  void draw() override {}
  void init() override {}
  void set_observer(const float*, const float*) override {}
};

}  // namespace

TEST(Detailed, LevelsFromTheDetailRangeInEitherOrder) {
  Detailed<SolidSphere, float, float> set;
  EXPECT_EQ(set.name(), "None");
  EXPECT_TRUE(set.clear_after_upload());
  EXPECT_EQ(set.scale(), 0.0f);
  ASSERT_TRUE(set.allocate());
  EXPECT_EQ(set.detail_start(), 4);
  EXPECT_EQ(set.details().size(), 13u);

  set.max_detail() = 4;
  set.min_detail() = 16;
  ASSERT_TRUE(set.allocate());
  EXPECT_EQ(set.detail_start(), 4);
  EXPECT_EQ(set.details().size(), 13u);

  set.max_detail() = set.min_detail() = 1;
  ASSERT_TRUE(set.allocate());
  EXPECT_EQ(set.detail_start(), 1);
  EXPECT_EQ(set.details().size(), 1u);

  OutputCapture capture;
  set.name() = "Spheres";
  set.min_detail() = -2;
  EXPECT_FALSE(set.allocate());
  EXPECT_TRUE(set.details().empty());
  set.min_detail() = 0;
  set.max_detail() = 3e9f;
  EXPECT_EQ(set.construct(), -1);
  EXPECT_TRUE(set.details().empty());
  EXPECT_NE(capture.err().find("Detailed::allocate(): Spheres detail range 0 .. 3e+09 refused"),
            std::string::npos)
      << capture.err();
}

TEST(Detailed, InitLazyQueuesEveryLevelOncePerCall) {
  ParameterizedGeometry g;
  g.quads().max_detail() = 3;
  g.quads().min_detail() = 1;
  OutputCapture capture;
  g.init_lazy(false);
  EXPECT_FALSE(g.quads().clear_after_upload());
  ASSERT_EQ(g.quads().pending().size(), 3u);
  unsigned int k = 0;
  for (const PendingLevel& p : g.quads().pending()) {
    EXPECT_EQ(p.level, k++);
    EXPECT_EQ(p.mode, kQuadsMode);
    EXPECT_EQ(p.built, 0);
  }
  EXPECT_EQ(g.spheres().pending().size(), 13u);
  EXPECT_EQ(g.cylinders().pending().size(), 13u);
  // Nothing is generated before a level is drawn.
  EXPECT_TRUE(g.quads().details()[0].vertices().empty());
  EXPECT_TRUE(g.quads().vbos().empty());

  g.quads().init_lazy(true);
  EXPECT_EQ(g.quads().pending().size(), 6u);
  EXPECT_TRUE(g.quads().clear_after_upload());
  std::string expected;
  for (int i = 0; i < 4; ++i) expected += "construct_async(): allocating\n";
  EXPECT_EQ(capture.out(), expected);
}

TEST(ParameterizedGeometry, NamesOwnedAndBorrowedSets) {
  ParameterizedGeometry owned(nullptr, nullptr, nullptr);
  EXPECT_EQ(owned.quads().name(), "Quads");
  EXPECT_EQ(owned.spheres().name(), "Spheres");
  EXPECT_EQ(owned.cylinders().name(), "Cylinders");

  Detailed<SolidSphere, float, float> mine;
  mine.name() = "Mine";
  mine.scale() = 0.03f;
  ParameterizedGeometry borrowing(nullptr, &mine, nullptr);
  EXPECT_EQ(&borrowing.spheres(), &mine);
  EXPECT_EQ(mine.name(), "Spheres");

  // Copies share a borrowed set and duplicate an owned one.
  ParameterizedGeometry copy = borrowing;
  EXPECT_EQ(&copy.spheres(), &mine);
  EXPECT_NE(&copy.quads(), &borrowing.quads());
  EXPECT_EQ(copy.quads().name(), "Quads");
}

TEST(GeomObj, BorrowsTheGeometryGivenOrOwnsOne) {
  ParameterizedGeometry shared;
  Thing borrowing(&shared);
  EXPECT_EQ(&borrowing.geometry(), &shared);
  EXPECT_FALSE(borrowing.owned());
  Thing copy = borrowing;
  EXPECT_EQ(&copy.geometry(), &shared);

  Thing owning;
  EXPECT_TRUE(owning.owned());
  owning.geometry().spheres().scale() = 0.5f;
  Thing owning_copy = owning;
  EXPECT_NE(&owning_copy.geometry(), &owning.geometry());
  EXPECT_EQ(owning_copy.geometry().spheres().scale(), 0.5f);

  owning.set(&shared);  // share another object's geometry
  EXPECT_EQ(&owning.geometry(), &shared);
  GeomObj& base = owning;
  base.set_observer(nullptr, nullptr);
}
