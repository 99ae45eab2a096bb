// Cutting received bytes into blocks.
#include "protocol/Framing.h"

#include <gtest/gtest.h>

namespace {

TEST(Framing, BlocksSplitOverChunksAndSeveralBlocksInOneChunk) {
  std::string buffer, block;
  AppendReceivedChunk(buffer, "{\"a\"", 4);
  EXPECT_FALSE(CutBlock(buffer, block));
  EXPECT_EQ(buffer, "{\"a\"");
  AppendReceivedChunk(buffer, ":1}\x08{}\x08{", 10);
  ASSERT_TRUE(CutBlock(buffer, block));
  EXPECT_EQ(block, "{\"a\":1}");
  ASSERT_TRUE(CutBlock(buffer, block));
  EXPECT_EQ(block, "{}");
  EXPECT_FALSE(CutBlock(buffer, block));
  EXPECT_EQ(buffer, "{");
}

TEST(Framing, TerminatorFirstGivesAnEmptyBlockAndZeroByteEndsTheChunk) {
  std::string buffer, block;
  AppendReceivedChunk(buffer, "\x08", 1);
  ASSERT_TRUE(CutBlock(buffer, block));
  EXPECT_EQ(block, "");
  EXPECT_EQ(buffer, "");
  const char chunk[] = {'a', 'b', '\0', 'c', '\x08'};
  AppendReceivedChunk(buffer, chunk, sizeof chunk);
  EXPECT_EQ(buffer, "ab");
}

TEST(Framing, RequestGoesOutWithTerminatorAndZeroByte) {
  EXPECT_EQ(FrameRequest("{}\n"), std::string("{}\n\x08\0", 5));
  EXPECT_EQ(FrameRequest(""), std::string("\x08\0", 2));
}

}  // namespace
