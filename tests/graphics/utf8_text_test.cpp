// The code points text bytes stand for.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/bitmap/utf8_text.h"

namespace {

std::vector<int> CodePoints(const char* text) {
  std::vector<int> out;
  int length = static_cast<int>(std::strlen(text));
  for (int position = 0; position < length;) out.push_back(NextCodePoint(text, length, position));
  return out;
}

TEST(Utf8Text, DecodesTwoAndThreeByteSequences) {
  EXPECT_EQ(CodePoints("a\xC3\xA9z"), (std::vector<int>{'a', 0xE9, 'z'}));
  EXPECT_EQ(CodePoints("\xE2\x82\xAC"), (std::vector<int>{0x20AC}));
}

TEST(Utf8Text, FourByteSequencesBecomeOneSpace) {
  EXPECT_EQ(CodePoints("x\xF0\x9F\x98\x80y"), (std::vector<int>{'x', ' ', 'y'}));
}

TEST(Utf8Text, InvalidBytesStandForThemselves) {
  EXPECT_EQ(CodePoints("\xE9t\xE9"), (std::vector<int>{0xE9, 't', 0xE9}));         // Latin-1
  EXPECT_EQ(CodePoints("\xC3"), (std::vector<int>{0xC3}));                          // cut short
  EXPECT_EQ(CodePoints("\xC0\x80"), (std::vector<int>{0xC0, 0x80}));                // overlong
  EXPECT_EQ(CodePoints("\xED\xA0\x80"), (std::vector<int>{0xED, 0xA0, 0x80}));      // surrogate
  EXPECT_EQ(CodePoints("\xE2\x82"), (std::vector<int>{0xE2, 0x82}));                // truncated
}

TEST(Utf8Text, FindsMultiByteSequences) {
  EXPECT_FALSE(HasMultiByteUtf8("plain \xE9", 7));
  EXPECT_TRUE(HasMultiByteUtf8("caf\xC3\xA9", 5));
  EXPECT_FALSE(HasMultiByteUtf8("caf\xC3\xA9", 4));  // the length cuts the sequence
}

}  // namespace
