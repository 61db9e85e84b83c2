#include "render/program_gl.h"

#include <gtest/gtest.h>

TEST(ShaderChunks, WholeLinesUpToTheLimit) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += std::string(99, 'x') + "\n";
  const auto chunks = ShaderGL::chunk_source(text, 16384);
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].size(), 16300u);
  EXPECT_EQ(chunks[1].size(), 16300u);
  EXPECT_EQ(chunks[2].size(), 7400u);
  // A line longer than the limit is a chunk of its own; the first may stay empty.
  const auto long_line = ShaderGL::chunk_source(std::string(50, 'y'), 10);
  EXPECT_EQ(long_line, (std::vector<std::string>{"", std::string(50, 'y') + "\n"}));
  EXPECT_EQ(ShaderGL::chunk_source("a\n\nb", 0), (std::vector<std::string>{"a\n\nb\n"}));
}
