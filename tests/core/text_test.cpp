// The conversions between code page 1252 and the Unicode forms files come in.
#include <gtest/gtest.h>

#include <string>

#include "common/text.h"

namespace qc {
namespace {

std::string Utf16(std::string_view utf8, bool big_endian) {
  // Built from the code points of an ASCII/Latin-1/BMP text, enough for the cases below.
  std::string out;
  size_t pos = 0;
  while (pos < utf8.size()) {
    auto c = static_cast<unsigned char>(utf8[pos]);
    uint32_t cp = c;
    if (c >= 0xE0) cp = (c & 0x0F) << 12 | (utf8[pos + 1] & 0x3F) << 6 | (utf8[pos + 2] & 0x3F), pos += 3;
    else if (c >= 0xC0) cp = (c & 0x1F) << 6 | (utf8[pos + 1] & 0x3F), pos += 2;
    else pos += 1;
    char hi = static_cast<char>(cp >> 8), lo = static_cast<char>(cp & 0xFF);
    out += big_endian ? hi : lo;
    out += big_endian ? lo : hi;
  }
  return out;
}

TEST(Cp1252Conversions, EveryByteComesBackThroughUtf8AndUtf16) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1252ToUtf8(all);
  ASSERT_TRUE(IsUtf8(utf8));
  bool replaced = false;
  EXPECT_EQ(Utf8ToCp1252(utf8, &replaced), all);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(Utf16ToCp1252(Utf16(utf8, false), false, &replaced), all);
  EXPECT_EQ(Utf16ToCp1252(Utf16(utf8, true), true, &replaced), all);
  EXPECT_FALSE(replaced);
}

TEST(Cp1252Conversions, WhatTheCodePageCannotHoldOrIsNotUtf8BecomesAQuestionMark) {
  bool replaced = false;
  // Polish l with stroke, a CJK character and an emoji (four bytes).
  EXPECT_EQ(Utf8ToCp1252("\xC5\x82" "a\xE4\xB8\xAD" "b\xF0\x9F\x98\x80", &replaced), "?a?b?");
  EXPECT_TRUE(replaced);
  // cp1252 text that is not UTF-8: "Café" and a lone continuation byte.
  EXPECT_FALSE(IsUtf8("Caf\xE9"));
  EXPECT_FALSE(IsUtf8("\x80"));
  EXPECT_FALSE(IsUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_EQ(Utf8ToCp1252("Caf\xE9 x"), "Caf? x");
  // UTF-16: a surrogate pair (one character), an unpaired surrogate, an odd last byte.
  replaced = false;
  EXPECT_EQ(Utf16ToCp1252(std::string("\x3D\xD8\x00\xDE" "A\x00" "\x00\xDC" "B", 9), false, &replaced), "?A??");
  EXPECT_TRUE(replaced);
}

}  // namespace
}  // namespace qc
