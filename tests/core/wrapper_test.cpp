#include "core/wrapper.h"

#include <gtest/gtest.h>

namespace {
struct Counted {
  static int alive;
  int value = 0;
  Counted() { ++alive; }
  Counted(const Counted& o) : value(o.value) { ++alive; }
  Counted& operator=(const Counted&) = default;
  ~Counted() { --alive; }
};
int Counted::alive = 0;

class WrapperTest : public ::testing::Test {
 protected:
  void SetUp() override { Counted::alive = 0; }
  void TearDown() override {
    EXPECT_EQ(Counted::alive, 0) << "an owned object leaked or was deleted twice";
  }
};
}  // namespace

TEST_F(WrapperTest, BorrowsAGivenObjectAndOwnsADefaultOne) {
  Counted outside;
  {
    Wrapper<Counted> borrowing(&outside);
    EXPECT_FALSE(borrowing.owned());
    EXPECT_EQ(borrowing.data(), &outside);
    Wrapper<Counted> owning(nullptr);
    EXPECT_TRUE(owning.owned());
    EXPECT_NE(owning.data(), nullptr);
    Wrapper<Counted> defaulted;
    EXPECT_TRUE(defaulted.owned());
  }
  EXPECT_EQ(Counted::alive, 1);  // only `outside`
}

TEST_F(WrapperTest, CopyOfOwningCopiesTheObjectCopyOfBorrowingShares) {
  Counted outside;
  outside.value = 7;
  Wrapper<Counted> borrowing(&outside);
  Wrapper<Counted> shared(borrowing);
  EXPECT_EQ(shared.data(), &outside);
  EXPECT_FALSE(shared.owned());

  Wrapper<Counted> owning;
  owning.get().value = 3;
  Wrapper<Counted> copy(owning);
  EXPECT_TRUE(copy.owned());
  EXPECT_NE(copy.data(), owning.data());
  EXPECT_EQ(copy.get().value, 3);
}

TEST_F(WrapperTest, AssignmentFollowsTheSourcesOwnership) {
  Counted outside;
  outside.value = 5;
  Wrapper<Counted> target;  // owns its own
  Wrapper<Counted> borrowing(&outside);
  target = borrowing;  // becomes borrowing; its own object is released
  EXPECT_FALSE(target.owned());
  EXPECT_EQ(target.data(), &outside);

  Wrapper<Counted> owning;
  owning.get().value = 9;
  target = owning;  // makes an own object and copies into it, never into `outside`
  EXPECT_TRUE(target.owned());
  EXPECT_NE(target.data(), &outside);
  EXPECT_EQ(target.get().value, 9);
  EXPECT_EQ(outside.value, 5);

  Counted* own = target.data();
  owning.get().value = 11;
  target = owning;  // copies into the object it already owns
  EXPECT_EQ(target.data(), own);
  EXPECT_EQ(own->value, 11);
  target = target;
  EXPECT_EQ(target.data(), own);
}

TEST_F(WrapperTest, SetBorrowsOrMakesAnOwnObjectOnlyWhenNeeded) {
  Counted outside;
  Wrapper<Counted> w;
  Counted* own = w.data();
  w.set(nullptr);  // already owns one: unchanged
  EXPECT_EQ(w.data(), own);
  w.set(&outside);
  EXPECT_FALSE(w.owned());
  EXPECT_EQ(w.data(), &outside);
  w.set(nullptr);  // borrowing: makes an own default object
  EXPECT_TRUE(w.owned());
  EXPECT_NE(w.data(), &outside);
}
