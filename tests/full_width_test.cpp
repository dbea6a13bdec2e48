// Answers as a phone's input method types them: the full-width digits,
// signs and spaces read as ASCII, and nothing else changed.
#include "full_width.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace combo {
namespace {

struct NarrowCase {
  const char* name;
  std::string typed;     // UTF-8, as the page's field holds it
  std::string narrowed;  // what the engine reads
};

void PrintTo(const NarrowCase& c, std::ostream* os) { *os << c.name; }

class NarrowFullWidthTest : public testing::TestWithParam<NarrowCase> {};

TEST_P(NarrowFullWidthTest, ReadsWhatTheInputMethodMeant) {
  const NarrowCase& c = GetParam();
  std::string text = c.typed;
  std::size_t length = narrowFullWidth(&text[0], text.size());
  EXPECT_EQ(text.substr(0, length), c.narrowed);
}

const NarrowCase kNarrowCases[] = {
    {"Empty", "", ""},
    {"AsciiKept", "8 1 -7 +x\n", "8 1 -7 +x\n"},
    {"FullWidthZeroAndNine", "\xef\xbc\x90\xef\xbc\x99", "09"},  // ０９
    {"EveryFullWidthDigit",
     "\xef\xbc\x91\xef\xbc\x92\xef\xbc\x93\xef\xbc\x94\xef\xbc\x95\xef\xbc\x96"
     "\xef\xbc\x97\xef\xbc\x98",  // １２３４５６７８
     "12345678"},
    {"FullWidthSigns", "\xef\xbc\x8b\xef\xbc\x95\xef\xbc\x8d\xef\xbc\x91",
     "+5-1"},                                 // ＋５－１
    {"MinusSign", "\xe2\x88\x92\x31", "-1"},  // −1
    {"IdeographicSpace", "\xef\xbc\x91\xe3\x80\x80\x37", "1 7"},  // １　7
    // The neighbours of the characters rewritten stay as they are.
    {"FullWidthSolidusKept", "\xef\xbc\x8f", "\xef\xbc\x8f"},  // ／ (U+FF0F)
    {"FullWidthColonKept", "\xef\xbc\x9a", "\xef\xbc\x9a"},    // ： (U+FF1A)
    {"FullWidthCommaKept", "\xef\xbc\x8c", "\xef\xbc\x8c"},    // ， (U+FF0C)
    {"FullWidthLetterKept", "\xef\xbd\x98", "\xef\xbd\x98"},   // ｘ (U+FF58)
    {"DashKept", "\xe2\x80\x93", "\xe2\x80\x93"},              // – (U+2013)
    {"JapaneseKept", "\xe3\x81\x82\xef\xbc\x98",
     "\xe3\x81\x82"
     "8"},  // あ８
    // A sequence cut short, or bytes that are not UTF-8, are kept.
    {"CutShortAtTheEnd", "\xef\xbc\x91\xef\xbc", "1\xef\xbc"},
    {"NotUtf8Kept", "\xbc\x91\xff\x37", "\xbc\x91\xff\x37"},
};

INSTANTIATE_TEST_SUITE_P(NarrowFullWidth, NarrowFullWidthTest,
                         testing::ValuesIn(kNarrowCases),
                         [](const testing::TestParamInfo<NarrowCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace combo
