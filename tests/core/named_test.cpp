#include "core/named.h"

#include <gtest/gtest.h>

#include "support/capture.h"

using testing_support::OutputCapture;

TEST(Named, DefaultNameAndRename) {
  Named n;
  EXPECT_EQ(n.name(), "Unnamed");
  std::string& r = n.rename("cue");
  EXPECT_EQ(&r, &n.name());
  EXPECT_EQ(n.name(), "cue");
  Named moved_from("ball");
  Named moved(std::move(moved_from));
  EXPECT_EQ(moved.name(), "ball");
}

TEST(IDType, ConsecutiveIdentifiersAndCopiesKeepTheirs) {
  IDType a;
  IDType b;
  EXPECT_EQ(b.id(), a.id() + 1);
  EXPECT_EQ(IDType::current_id, b.id());
  IDType c(a);
  EXPECT_EQ(c.id(), a.id());
  c.id(42);
  EXPECT_EQ(c.id(), 42);
}

TEST(IDWrapper, HoldsAndConvertsItsValue) {
  IDWrapper<unsigned int> w(5);
  EXPECT_EQ(static_cast<unsigned int>(w), 5u);
  w.id(6);
  EXPECT_EQ(w.id(), 6u);
  IDInterface<int> i;
  EXPECT_EQ(i.id(), 0);
}

namespace {
struct TwoStage : Initializable {
  TwoStage() : Initializable(2) {}
};
}  // namespace

TEST(Initializable, ReportsInitialisedAfterEveryStage) {
  TwoStage s;
  EXPECT_EQ(s.initialized(), 0);
  s.init_stage();
  EXPECT_EQ(s.initialized(), 0);
  s.init_stage();
  EXPECT_EQ(s.initialized(), 1);
  EXPECT_EQ(s.get_init_state(), 2);
  s.initialized(0);
  EXPECT_EQ(s.initialized(), 0);
}

TEST(DataChunk, SetCopiesBytesOrReportsTheError) {
  const char ten[] = "0123456789";
  DataChunk c(ten, 10, "chunk");
  EXPECT_EQ(c.size(), 10u);
  EXPECT_EQ(c.set("abc", 3, ""), 0);
  EXPECT_EQ(c.size(), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.data()), 3), "abc");
  EXPECT_EQ(c.name(), "chunk");

  OutputCapture cap;
  EXPECT_EQ(c.set(nullptr, 5, "renamed"), 1);
  EXPECT_EQ(cap.err(), "DataChunk::set() error: NULL pointer or size = 0\n");
  EXPECT_EQ(c.name(), "renamed");
  EXPECT_EQ(c.size(), 3u);
  c.clear();
  EXPECT_EQ(c.size(), 0u);
  EXPECT_EQ(c.name(), "renamed");
}

TEST(DataChunk, OnlyAnEmptyCopyIsReported) {
  OutputCapture cap;
  // The default chunk is a normal empty value (a wizard step's new key).
  DataChunk d;
  EXPECT_EQ(d.name(), "DataChunk");
  EXPECT_EQ(d.size(), 0u);
  EXPECT_EQ(cap.err(), "");
  DataChunk t(std::string("hello"), "text");
  EXPECT_EQ(t.size(), 5u);
  EXPECT_EQ(cap.err(), "");
  DataChunk n(nullptr, 0, "none");
  EXPECT_EQ(n.size(), 0u);
  EXPECT_EQ(cap.err(), "DataChunk::set() error: NULL pointer or size = 0\n");
}
