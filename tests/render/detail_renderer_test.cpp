// Distance-to-detail mappings, copies of renderers, building without a
// generator, and the index arithmetic of display-list sets; no OpenGL.
#include "render/detail_renderer.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "support/capture.h"

using testing_support::OutputCapture;

namespace {

// Records the details it is asked to draw.
class RecordingRenderer : public DetailRenderer {
 public:
  void render_detail(unsigned int detail) override { drawn.push_back(detail); }
  std::vector<unsigned int> drawn;
};

}  // namespace

TEST(DetailRenderer, LinearAndLog2Mappings) {
  RecordingRenderer r;
  r.set_render_detail(8, 10.0f, 2);
  struct Case {
    float distance;
    unsigned int linear, log2;
  };
  const float inf = std::numeric_limits<float>::infinity();
  for (const Case& c : std::vector<Case>{{10, 8, 8},
                                         {5, 8, 8},
                                         {0, 8, 8},
                                         {20, 4, 7},
                                         {40, 2, 6},
                                         {30, 3, 7},
                                         {1000, 2, 2},
                                         {inf, 2, 2},
                                         {-10, 2, 2},
                                         {std::numeric_limits<float>::quiet_NaN(), 2, 2}}) {
    EXPECT_EQ(r.linear_distance2detail(c.distance), c.linear) << c.distance;
    EXPECT_EQ(r.log2_distance2detail(c.distance), c.log2) << c.distance;
  }
  // The default function is the linear mapping.
  r.render_distance(20);
  r.distance_function(&DetailRenderer::log2_distance2detail);
  r.render_distance(20);
  r.distance_function([](float d) { return static_cast<unsigned int>(d) + 100; });
  r.render_distance(20);
  EXPECT_EQ(r.drawn, (std::vector<unsigned int>{4, 7, 120}));

  // A minimum above the maximum wins.
  r.set_render_detail(2, 10.0f, 5);
  EXPECT_EQ(r.linear_distance2detail(1), 5u);
  EXPECT_EQ(r.log2_distance2detail(1), 5u);

  r.distance_function(DetailRenderer::DistanceFunction());
  EXPECT_THROW(r.render_distance(1), std::bad_function_call);
}

TEST(DetailRenderer, CopiesMapWithTheirOwnFields) {
  auto source = std::make_unique<RecordingRenderer>();
  source->set_render_detail(8, 10.0f, 2);
  RecordingRenderer copy(*source);
  RecordingRenderer assigned;
  assigned = *source;
  RecordingRenderer moved(std::move(*source));
  source.reset();  // a function still bound to the source would now read freed memory

  copy.set_render_detail(16, 10.0f, 1);
  copy.render_distance(20);
  assigned.render_distance(20);
  moved.render_distance(10);
  EXPECT_EQ(copy.drawn, (std::vector<unsigned int>{8}));
  EXPECT_EQ(assigned.drawn, (std::vector<unsigned int>{4}));
  EXPECT_EQ(moved.drawn, (std::vector<unsigned int>{8}));

  copy.distance_function(&DetailRenderer::log2_distance2detail);
  RecordingRenderer log_copy = copy;
  copy.set_render_detail(4, 10.0f, 1);
  log_copy.render_distance(20);
  EXPECT_EQ(log_copy.drawn.back(), 15u);

  // A function of the caller's is copied as it is.
  int calls = 0;
  copy.distance_function([&calls](float) {
    ++calls;
    return 3u;
  });
  RecordingRenderer custom = copy;
  custom.render_distance(1);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(custom.drawn.back(), 3u);
}

TEST(DetailRenderObj, WithoutAGeneratorNothingIsBuiltOrDrawn) {
  DetailVertexDataVAO vao;
  EXPECT_EQ(vao.generator(), nullptr);
  EXPECT_EQ(vao.attributes(), (std::array<int, 3>{-1, -1, -1}));
  EXPECT_EQ(vao.max_detail(), 1u);
  EXPECT_EQ(vao.min_detail(), 1u);
  EXPECT_EQ(vao.detail_distance(), 1.0f);
  vao.render_distance(123.0f);  // always detail 1; nothing can be drawn
  ASSERT_EQ(vao.objects().size(), 1u);
  EXPECT_EQ(vao.objects().begin()->first, 1u);
  EXPECT_EQ(vao.objects().begin()->second.id(), 0u);

  vao.set_render_detail(6, 1.0f, 3);
  EXPECT_EQ(vao.construct_all_detail(), -4);
  EXPECT_EQ(vao.objects().size(), 5u);

  DetailVertexDataVBO vbo;
  vbo.set_render_detail(2, 1.0f, 5);
  EXPECT_EQ(vbo.construct_all_detail(), 0);  // reversed: nothing to build
  EXPECT_TRUE(vbo.objects().empty());

  OutputCapture capture;
  vbo.set_render_detail(std::numeric_limits<unsigned int>::max(), 1.0f, 0);
  EXPECT_EQ(vbo.construct_all_detail(), -1);
  EXPECT_TRUE(vbo.objects().empty());
  EXPECT_NE(capture.err().find("construct_all_detail(): details 0 .. 4294967295 refused"),
            std::string::npos);
}

TEST(DetailedObject, DistancesToListsAndClamping) {
  DetailedDisplayLists lists;
  EXPECT_EQ(lists.name(), "None");
  EXPECT_EQ(lists.scale(), 0.0f);
  EXPECT_EQ(lists.max_detail(), 16.0f);
  EXPECT_EQ(lists.min_detail(), 4.0f);
  EXPECT_EQ(lists.size(), 0u);
  EXPECT_EQ(lists.quadric_style().draw_style, 6914);
  EXPECT_EQ(lists.quadric_style().normals, GLU_SMOOTH);
  EXPECT_TRUE(lists.quadric_style().texture);
  EXPECT_EQ(lists.quadric_style().orientation, GLU_OUTSIDE);
  // No lists yet: every index request is harmless.
  EXPECT_EQ(lists.set_detail_level(9), 0u);
  EXPECT_EQ(lists.get(5, true).id(), 0u);
  EXPECT_EQ(lists.dist2detail(0.0f), 16.0f);  // no scale yet: the maximum

  ASSERT_TRUE(lists.allocate());
  EXPECT_EQ(lists.detail_start(), 4);
  ASSERT_EQ(lists.size(), 13u);
  lists.set(2.0f, 4.0f, 16.0f);
  EXPECT_EQ(lists.dist2detail(1.0f), 8.0f);
  EXPECT_EQ(lists.dist2detail(0.1f), 4.0f);
  EXPECT_EQ(lists.dist2detail(10.0f), 16.0f);
  EXPECT_EQ(lists.dist2ind(1.3f), 6u);  // 10.4 - 4
  EXPECT_EQ(lists.set_detail(1.3), 6u);
  EXPECT_EQ(lists.current_detail(), 6u);

  for (int i = 0; i < 13; ++i) lists.details()[i].id(100 + i);
  EXPECT_EQ(lists.set_detail_level(2), 0u);
  EXPECT_EQ(lists.set_detail_level(10), 6u);
  EXPECT_EQ(lists.set_detail_level(99), 12u);
  EXPECT_EQ(lists.get(-3, true).id(), 100u);
  EXPECT_EQ(lists.get(5, true).id(), 105u);
  EXPECT_EQ(lists.get(50, true).id(), 112u);
  EXPECT_EQ(lists.get(2, false).id(), 100u);
  EXPECT_EQ(lists.get(7, false).id(), 103u);
  EXPECT_EQ(lists.get(70, false).id(), 112u);
  EXPECT_EQ(lists.get_at(1.3f).id(), 106u);
  EXPECT_EQ(lists.get_at(100.0f).id(), 112u);

  DetailedDisplayLists reversed;
  reversed.set(1.0f, 16.0f, 4.0f);
  ASSERT_TRUE(reversed.allocate());
  EXPECT_EQ(reversed.size(), 13u);

  OutputCapture capture;
  DetailedDisplayLists huge;
  huge.set(1.0f, 0.0f, 1e9f);
  EXPECT_FALSE(huge.allocate());
  EXPECT_EQ(huge.size(), 0u);
  EXPECT_NE(capture.err().find("refused"), std::string::npos);
}
