// The storage of a face's indices and names: IndexList against std::vector
// under random edits, the two values that force a list onto the heap, and
// ModelName's sharing, comparisons and reuse of texts across threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "models/index_list.h"
#include "models/model_name.h"

using Indices = std::vector<unsigned long long>;

TEST(IndexListTest, BehavesLikeAVectorUnderRandomEdits) {
  std::mt19937_64 random(7);
  // Values around the markers inside the list as well as ordinary ones.
  const unsigned long long values[] = {0,
                                       1,
                                       5,
                                       ~0ULL,
                                       0xFFFFFFFFULL,
                                       0xFFFFFFFEULL,
                                       IndexList::kSmall - 1,
                                       IndexList::kSmall,
                                       IndexList::kQuad - 1,
                                       IndexList::kQuad,
                                       1ULL << 32,
                                       42};
  IndexList list;
  Indices model;
  for (int step = 0; step < 20000; ++step) {
    const unsigned long long value = values[random() % std::size(values)];
    switch (random() % 10) {
      case 0:
      case 1:
      case 2:
        list.push_back(value);
        model.push_back(value);
        break;
      case 3:
        if (!model.empty()) {
          list.pop_back();
          model.pop_back();
        }
        break;
      case 4: {
        IndexList copy(list);
        list = copy;  // through a copy and back
        IndexList moved(std::move(copy));
        EXPECT_TRUE(copy.empty());
        list = std::move(moved);
        break;
      }
      case 5: {
        const std::size_t n = random() % 6;
        list.resize(n, value);
        model.resize(n, value);
        break;
      }
      case 6:
        if (!model.empty()) {
          const std::size_t at = random() % model.size();
          list.erase(list.begin() + at);
          model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        }
        break;
      case 7: {
        const std::size_t at = model.empty() ? 0 : random() % (model.size() + 1);
        list.insert(list.begin() + at, value);
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), value);
        break;
      }
      case 8:
        if (random() % 8 == 0) {
          list.clear();
          model.clear();
        }
        break;
      default:
        if (!model.empty()) {
          list[0] = model[0] = step;  // an ordinary value through a reference
          // and any value at any place, a marker too
          const std::size_t at = random() % model.size();
          list[at] = model[at] = value;
        }
        break;
    }
    ASSERT_EQ(list.size(), model.size()) << "step " << step;
    ASSERT_EQ(list, model) << "step " << step;
    ASSERT_EQ(Indices(list), model);
    ASSERT_EQ(list.empty(), model.empty());
  }
}

TEST(IndexListTest, KeepsTriangleIndicesInsideAndConvertsFromVectors) {
  IndexList list{1, 2, 3};
  // A triangle's and a quad's indices inside the object itself; indices that
  // do not fit are kept whole on the heap.
  EXPECT_EQ(list.capacity(), 3u);
  const unsigned long long small = IndexList::kSmall - 1, quad = IndexList::kQuad - 1;
  EXPECT_EQ(IndexList({small, 0, small}).capacity(), 3u);
  EXPECT_EQ(IndexList({quad, 1, quad, quad}).capacity(), 4u);
  EXPECT_EQ(IndexList({quad, 1, quad, quad}), (Indices{quad, 1, quad, quad}));
  EXPECT_EQ(IndexList({7, IndexList::kSmall, ~0ULL}), (Indices{7, IndexList::kSmall, ~0ULL}));
  EXPECT_EQ(IndexList({7, 8, 9, IndexList::kQuad}), (Indices{7, 8, 9, IndexList::kQuad}));
  // Every bit of a quad's indices comes back, whatever the others hold.
  std::mt19937_64 random(3);
  int wrong = 0;
  for (int k = 0; k < 1000; ++k) {
    Indices quad_indices(4);
    for (unsigned long long& i : quad_indices) i = random() % IndexList::kQuad;
    const IndexList held(quad_indices);
    wrong += held != quad_indices || held.capacity() != 4;
  }
  EXPECT_EQ(wrong, 0);
  list.push_back(4);
  EXPECT_GE(list.capacity(), 4u);
  EXPECT_EQ(list, (Indices{1, 2, 3, 4}));
  const Indices from{9, 8};
  list = from;
  EXPECT_EQ(list, from);
  list.assign(from.begin(), from.end());
  EXPECT_EQ(list.front(), 9u);
  EXPECT_EQ(list.back(), 8u);
  EXPECT_EQ(IndexList(2, 7), (Indices{7, 7}));
  EXPECT_EQ(IndexList(), Indices{});
  EXPECT_EQ(sizeof(IndexList), 3 * sizeof(std::uint32_t));
}

TEST(ModelNameTest, ReadsLikeAStringAndSharesCopies) {
  const ModelName empty;
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(empty, "");
  EXPECT_EQ(empty.str(), std::string());
  ModelName wood("Wood");
  ModelName copy = wood;
  EXPECT_TRUE(copy.shares(wood));
  EXPECT_EQ(copy, "Wood");
  EXPECT_EQ(copy, std::string("Wood"));
  EXPECT_EQ(ModelName("Wood"), wood);  // equal texts, separate entries
  EXPECT_NE(wood, "Felt");
  EXPECT_EQ("_" + wood, "_Wood");
  copy += "_2";
  EXPECT_EQ(copy, "Wood_2");
  EXPECT_EQ(wood, "Wood");
  copy.clear();
  EXPECT_TRUE(copy.empty());
  const std::string& text = wood;
  EXPECT_EQ(text, "Wood");
  std::ostringstream out;
  out << wood;
  EXPECT_EQ(out.str(), "Wood");
  EXPECT_EQ(sizeof(ModelName), 4u);
}

TEST(ModelNameTest, TextsStayRightWhileThreadsMakeCopyAndFreeNames) {
  const ModelName shared("shared");
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &shared, &wrong] {
      for (int i = 0; i < 2000; ++i) {
        const std::string text = "t" + std::to_string(t) + "_" + std::to_string(i);
        ModelName a(text);
        ModelName b = a;
        ModelName c = shared;
        a = "other";
        if (b != text || c != "shared" || a != "other") ++wrong[t];
      }
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
  EXPECT_EQ(shared, "shared");
}

// A reader's copies counted in batches and a model's names given back in
// runs keep the count of the shared entry right: texts stay while any name
// holds them, though names made and freed meanwhile would take a freed entry.
TEST(ModelNameTest, CopiesAndReleasesInBatchesKeepTheTextAlive) {
  const auto churn = [] {
    for (int i = 0; i < 100; ++i) ModelName other("other" + std::to_string(i));
  };
  std::vector<ModelName> copies;
  {
    const ModelName wood("Wood");
    ModelName::Copier copier;
    copier.use(wood);
    // Across several batches, and through a change of name and back.
    for (int i = 0; i < 10000; ++i) {
      if (i == 5000) copier.use(ModelName("Felt"));
      if (i == 5001) copier.use(wood);
      if (i != 5000) copies.push_back(copier.copy());
    }
    EXPECT_TRUE(copies.back().shares(wood));
    ModelName::Copier none;
    EXPECT_TRUE(none.copy().empty());
  }
  churn();
  EXPECT_EQ(std::count(copies.begin(), copies.end(), "Wood"), 9999);
  {
    ModelName::Releaser releaser;
    ModelName felt("Felt"), empty;
    for (std::size_t i = 0; i + 1 < copies.size(); ++i) {
      releaser.release(copies[i]);
      if (i == 10) releaser.release(felt);
      if (i == 11) releaser.release(empty);
    }
    EXPECT_TRUE(copies.front().empty());
    EXPECT_TRUE(felt.empty());
  }
  churn();
  EXPECT_EQ(copies.back(), "Wood");
}
