// Character boundaries in code page 932: which bytes begin a two-byte
// character, and how much of a run of bytes is whole characters.
#include "cp932.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace combo {
namespace {

struct LeadByteCase {
  const char* name;
  unsigned char byte;
  bool lead;
};

void PrintTo(const LeadByteCase& c, std::ostream* os) { *os << c.name; }

class LeadByteTest : public testing::TestWithParam<LeadByteCase> {};

TEST_P(LeadByteTest, MatchesTheCodePage) {
  EXPECT_EQ(isCp932LeadByte(GetParam().byte), GetParam().lead);
}

// The edges of the two runs of lead bytes, 0x81-0x9F and 0xE0-0xFC, and the
// single bytes around them.
const LeadByteCase kLeadByteCases[] = {
    {"Nul", 0x00, false},
    {"LineFeed", 0x0a, false},
    {"AsciiDigit", 0x37, false},
    {"AsciiLast", 0x7f, false},
    {"Byte80", 0x80, false},
    {"FirstLead81", 0x81, true},
    {"Lead82Hiragana", 0x82, true},
    {"LastOfFirstRun9F", 0x9f, true},
    {"ByteA0", 0xa0, false},
    {"HalfWidthKanaFirstA1", 0xa1, false},
    {"HalfWidthKanaLastDF", 0xdf, false},
    {"FirstOfSecondRunE0", 0xe0, true},
    {"LastLeadFC", 0xfc, true},
    {"ByteFD", 0xfd, false},
    {"ByteFF", 0xff, false},
};

INSTANTIATE_TEST_SUITE_P(Cp932, LeadByteTest, testing::ValuesIn(kLeadByteCases),
                         [](const testing::TestParamInfo<LeadByteCase>& info) {
                           return std::string(info.param.name);
                         });

#ifdef _WIN32
// The table in the program against Windows' own for code page 932.
TEST(IsCp932LeadByte, AgreesWithWindowsForEveryByte) {
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(isCp932LeadByte(static_cast<unsigned char>(byte)),
              IsDBCSLeadByteEx(932, static_cast<BYTE>(byte)) != 0)
        << "byte " << byte;
  }
}
#endif

struct WholeCase {
  const char* name;
  std::string bytes;
  std::size_t whole;
};

void PrintTo(const WholeCase& c, std::ostream* os) { *os << c.name; }

class WholeLengthTest : public testing::TestWithParam<WholeCase> {};

TEST_P(WholeLengthTest, HoldsBackOnlyACutCharacter) {
  EXPECT_EQ(wholeCp932Length(GetParam().bytes.data(), GetParam().bytes.size()),
            GetParam().whole);
}

const WholeCase kWholeCases[] = {
    {"Empty", "", 0},
    {"Ascii", "6,7,", 4},
    {"LineBreaks", "\n\n", 2},
    // "空中" whole, and cut after its first byte and after three.
    {"WholeKanji", "\x8b\xf3\x92\x86", 4},
    {"OnlyALeadByte", "\x8b", 0},
    {"CutAfterAWholeCharacter", "\x8b\xf3\x92", 2},
    {"CutAfterAscii", "7,\x82", 2},
    // "も" is 0x82 0xE0: its trail byte is also a lead byte, yet ends it.
    {"TrailByteThatLooksLikeALead", "\x82\xe0", 2},
    {"CutAfterSuchATrailByte", "\x82\xe0\x82", 2},
    {"LeadLikeTrailThenLead", "\x82\xe0\xe0", 2},
    // "：" is 0x81 0x46: an ASCII-looking trail byte.
    {"AsciiLookingTrailByte", "\x81\x46", 2},
    {"CutBeforeAsciiLookingTrail", "\x81\x46\x81", 2},
    // Half-width katakana are one byte each; so are the bytes that begin
    // nothing.
    {"HalfWidthKatakana", "\xb1\xdf", 2},
    {"StrayBytes", "\x80\xa0\xfd\xff", 4},
    // Not valid text, but never held back for good.
    {"LeadThenLineFeed", "\x82\n", 2},
};

INSTANTIATE_TEST_SUITE_P(Cp932, WholeLengthTest, testing::ValuesIn(kWholeCases),
                         [](const testing::TestParamInfo<WholeCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace combo
