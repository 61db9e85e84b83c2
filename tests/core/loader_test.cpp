#include "core/loader.h"

#include <gtest/gtest.h>

#include <future>
#include <vector>

#include "support/data_root.h"

using FileLoader = Loader<std::string, int>;

TEST(Loader, WithoutALoadFunctionNothingRuns) {
  FileLoader l;
  EXPECT_EQ(l.status(), 0);
  int calls = 0;
  l.preliminary_function([&](std::string) { return ++calls; });
  l.completion([&](int) { ++calls; });
  EXPECT_EQ(l.load_async("a.wav", true, true), 0);
  EXPECT_EQ(l.load_async("b.wav", false, true), 0);
  EXPECT_EQ(l.status(), 2);
  EXPECT_EQ(l.load_argument(), "b.wav");
  EXPECT_EQ(calls, 0);
}

TEST(Loader, SynchronousLoadsGiveTheCompletionThePreliminaryResult) {
  struct Case {
    int preliminary, load;
    bool ask_preliminary;
    int returned, status, completion_got;
    std::vector<std::string> order;
  };
  const Case cases[] = {
      {7, -3, false, -3, 3, 0, {"load", "done"}},
      {0, 0, true, 0, 2, 0, {"pre", "load", "done"}},
      {5, 0, true, 0, 2, 5, {"pre", "load", "done"}},
      {5, 4, true, 4, 3, 5, {"pre", "load", "done"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> order;
    int got = -100;
    FileLoader l;
    l.preliminary_function([&](std::string arg) {
      EXPECT_EQ(arg, "s.wav");
      order.push_back("pre");
      return c.preliminary;
    });
    l.load_function([&](std::string arg) {
      EXPECT_EQ(arg, "s.wav");
      order.push_back("load");
      return c.load;
    });
    l.completion([&](int r) {
      order.push_back("done");
      got = r;
    });
    EXPECT_EQ(l.load_async("s.wav", true, c.ask_preliminary), c.returned);
    EXPECT_EQ(l.status(), c.status);
    EXPECT_EQ(got, c.completion_got);
    EXPECT_EQ(order, c.order);
  }
}

TEST(Loader, AsynchronousLoadRunsOnAWorker) {
  FileLoader l;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<std::pair<int, std::thread::id>> completed;
  l.preliminary_function([](std::string) { return 9; });
  l.load_function([released](std::string arg) {
    released.wait();  // holds the load until the test has seen the running status
    return arg == "s.wav" ? -1 : 0;
  });
  l.completion([&](int r) { completed.set_value_at_thread_exit({r, std::this_thread::get_id()}); });
  EXPECT_EQ(l.load_async("s.wav", false, true), 9);
  EXPECT_EQ(l.status(), 1);
  EXPECT_EQ(l.load_argument(), "s.wav");
  release.set_value();
  const auto [r, worker] = completed.get_future().get();
  EXPECT_EQ(r, 0);
  EXPECT_NE(worker, std::this_thread::get_id());
  EXPECT_EQ(l.status(), 3);
}

TEST(Loader, CopiesAndMoves) {
  FileLoader l;
  int loads = 0;
  l.load_function([&](std::string) {
    ++loads;
    return 0;
  });
  l.load_async("x", true, false);
  FileLoader copy(l);
  EXPECT_EQ(copy.status(), 2);
  EXPECT_EQ(copy.load_argument(), "x");
  copy.load_async("y", true, false);
  EXPECT_EQ(loads, 2);
  FileLoader moved(std::move(l));
  EXPECT_EQ(moved.load_argument(), "x");
  EXPECT_EQ(moved.status(), 2);
  EXPECT_EQ(l.load_argument(), "");  // NOLINT(bugprone-use-after-move)
  FileLoader assigned;
  assigned = std::move(moved);
  EXPECT_EQ(assigned.load_argument(), "x");
  EXPECT_EQ(moved.load_argument(), "");  // NOLINT(bugprone-use-after-move)
  assigned = copy;
  EXPECT_EQ(assigned.load_argument(), "y");
}

namespace {

// Stores one line of text; fails on a stream that is not good.
struct Note : StreamLoader<1> {
  std::string text;
  int load(std::istream& in) override {
    if (!in.good()) return -5;
    std::getline(in, text);
    return 0;
  }
  int save(std::ostream& out) const override {
    if (!out.good()) return -6;
    out << text << '\n';
    return out.good() ? 0 : -7;
  }
};

}  // namespace

TEST(StreamLoader, FilesRoundTripAndFailedOpensReachTheObject) {
  testing_support::TempDataRoot root;
  Note n;
  n.text = "first";
  EXPECT_EQ(n.save_file("note.bin"), 0);
  n.text = "second";
  EXPECT_EQ(n.save_file("note.bin"), 0);  // truncates
  EXPECT_EQ(root.read("note.bin"), "second\n");
  Note back;
  EXPECT_EQ(back.load_file("note.bin"), 0);
  EXPECT_EQ(back.text, "second");
  EXPECT_EQ(back.load_file("missing.bin"), -5);
  EXPECT_EQ(n.save_file("no/folder/note.bin"), -6);
}

TEST(StreamInterface, ManipulatorsAndMoves) {
  StreamInterface s;
  s.stream() << "a";
  s << StreamInterface::endl;
  EXPECT_EQ(s.stream().str(), "a");
  EXPECT_EQ(&(s << std::endl), &s);
  EXPECT_EQ(s.stream().str(), "a\n");

  StreamInterface moved(std::move(s));
  EXPECT_EQ(moved.stream().str(), "a\n");
  EXPECT_EQ(s.stream().str(), "");  // NOLINT(bugprone-use-after-move)
  StreamInterface other;
  other.stream() << "b";
  other = std::move(moved);
  EXPECT_EQ(other.stream().str(), "a\n");
  EXPECT_EQ(moved.stream().str(), "b");  // NOLINT(bugprone-use-after-move)
}
