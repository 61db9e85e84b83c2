// Object selection: the first choice, moves toward a direction seen from a
// viewer, filters, the penalty and going back.
#include "ui/object_selector.h"

#include <gtest/gtest.h>

using Point = ObjectSelector::Point;

namespace {

// (0, 0, 0) selected, then (2, 0, 0), (1, 0, 0), (-1, 0, 0) and (0, 1, 0).
ObjectSelector line_of_points() {
  ObjectSelector s;
  s.positions({{0, 0, 0}, {2, 0, 0}, {1, 0, 0}, {-1, 0, 0}, {0.2f, 1, 0}}, 0);
  return s;
}

}  // namespace

TEST(ObjectSelector, MovesTowardTheDirection) {
  const CoordinateSystem view;
  const struct {
    Point direction;
    int chosen;
  } cases[] = {
      {{1, 0, 0}, 1},   // both points ahead score 0: the earlier wins
      {{-1, 0, 0}, 3},  //
      {{0, 1, 0}, 4},   // up
  };
  for (const auto& c : cases) {
    ObjectSelector s = line_of_points();
    EXPECT_EQ(s.select(view, c.direction, 1e6f), c.chosen) << c.direction[0] << c.direction[1];
    EXPECT_EQ(s.selection(), c.chosen);
  }
}

TEST(ObjectSelector, DirectionsAreTheViewersOwn) {
  CoordinateSystem view;
  view.rotate_local(180, 0, 1, 0);  // looking along +z: right is -x
  ObjectSelector s = line_of_points();
  EXPECT_EQ(s.select(view, {1, 0, 0}, 1e6f), 3);
}

TEST(ObjectSelector, NearPointsSlightlyOffTheLineBeatFarOnes) {
  ObjectSelector s;
  s.positions({{0, 0, 0}, {5, 1, 0}, {1, 0.3f, 0}}, 0);
  EXPECT_EQ(s.select(CoordinateSystem(), {1, 0, 0}, 1e6f), 2);
}

TEST(ObjectSelector, FirstChoiceAndFilters) {
  ObjectSelector empty;
  EXPECT_EQ(empty.select(CoordinateSystem(), {1, 0, 0}, 1e6f), -1);
  EXPECT_FALSE(empty);

  ObjectSelector one;
  one.positions({{3, 3, 3}}, -1);
  EXPECT_EQ(one.select(CoordinateSystem(), {1, 0, 0}, 1e6f), 0);
  EXPECT_EQ(one.select(CoordinateSystem(), {-1, 0, 0}, 1e6f), 0);
  EXPECT_TRUE(one);

  ObjectSelector refusing = line_of_points();
  refusing.positions(refusing.points(), -1);
  refusing.filter([](unsigned int) { return false; });
  EXPECT_EQ(refusing.select(CoordinateSystem(), {1, 0, 0}, 1e6f), -1);

  ObjectSelector odd = line_of_points();
  odd.filter([](unsigned int i) { return i % 2 == 1; });
  EXPECT_EQ(odd.select(CoordinateSystem(), {-1, 0, 0}, 1e6f), 3);
  odd.positions(odd.points(), -1);
  EXPECT_EQ(odd.select(CoordinateSystem(), {1, 0, 0}, 1e6f), 1);
}

TEST(ObjectSelector, PointsBehindScoreThePenalty) {
  ObjectSelector s;
  s.positions({{0, 0, 0}, {3, 0.5f, 0}, {1, 0, 0}}, 0);
  EXPECT_EQ(s.select(CoordinateSystem(), {-1, 0, 0}, 1e6f), 1);  // all behind: the first
  s.positions({{0, 0, 0}, {-1, 0, 0}, {1, 0.2f, 0}}, 0);
  EXPECT_EQ(s.select(CoordinateSystem(), {1, 0, 0}, 0.0f), 1);  // a small penalty beats ahead
}

TEST(ObjectSelector, NoCandidateSelectsNothing) {
  ObjectSelector s = line_of_points();
  s.filter([](unsigned int i) { return i == 0; });
  EXPECT_EQ(s.select(CoordinateSystem(), {1, 0, 0}, 1e6f), -1);
  EXPECT_FALSE(s);
  s.back();
  EXPECT_EQ(s.selection(), 0);
}

TEST(ObjectSelector, SelectByIndexAndBack) {
  ObjectSelector s = line_of_points();
  EXPECT_EQ(*s.select(2), (Point{1, 0, 0}));
  EXPECT_EQ(s.selection(), 2);
  s.back();
  EXPECT_EQ(s.selection(), 0);
  EXPECT_EQ(s.select(9), s.points().end());
  EXPECT_EQ(s.selection(), -1);
  s.positions(s.points(), 7);  // past the end: nothing
  EXPECT_EQ(s.selection(), -1);

  ObjectSelector copy = line_of_points();
  ObjectSelector other(copy);
  other.select(3);
  EXPECT_EQ(copy.selection(), 0);
  EXPECT_EQ(other.selection(), 3);
}
