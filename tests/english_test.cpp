// Lines of the dialogue's output read in English: each text put in English,
// the numbers and commas between them kept, spaced as a reader expects.
#include "english.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "combo_dialogue.h"
#include "link_table.h"

namespace combo {
namespace {

std::string inEnglish(const std::string& text, std::size_t capacity = 512) {
  static char out[512];
  return std::string(out, toEnglish(text.data(), text.size(), out, capacity));
}

struct EnglishCase {
  const char* name;
  std::string line;     // Shift_JIS, as the dialogue writes it
  const char* english;  // written out by hand
};

void PrintTo(const EnglishCase& c, std::ostream* os) { *os << c.name; }

class ToEnglishTest : public testing::TestWithParam<EnglishCase> {};

TEST_P(ToEnglishTest, PutsEachTextInEnglish) {
  EXPECT_EQ(inEnglish(GetParam().line), GetParam().english);
}

const EnglishCase kEnglishCases[] = {
    {"MenuLine1", kMenuLine1,
     "1 air float, 2 air spin, 3 air knockback, 4 air bounce"},
    {"MenuLine2", kMenuLine2,
     "5 ground float, 6 ground spin, 7 ground knockback, 8 ground bounce"},
    {"StarterPrompt", kStarterPrompt, "Choose the starter move:"},
    {"Listing", std::string("6,7,") + kCanFollow + kNextMovePrompt,
     "6,7, can follow. Choose the next move:"},
    {"ImpossibleThenListing",
     std::string(kImpossible) + "6,7," + kCanFollow + kNextMovePrompt,
     "That is impossible: that link is used up, or there is none. 6,7, can "
     "follow. Choose the next move:"},
    {"NoSuchMoveThenPrompt", std::string(kNoSuchMove) + kStarterPrompt,
     "There is no such move. Choose the starter move:"},
    {"NoMoreLinks", kNoMoreLinks, "Nothing can follow any more."},
    {"Summary", std::string("8,7,6,7,4") + kChainLengthWords,
     "8,7,6,7,4+1Zorv: the chain, then its length."},
    {"EmptyChain", std::string("0") + kChainLengthWords,
     "0+1Zorv: the chain, then its length."},
    {"ReplayPrompt", kReplayPrompt, "1 once more, 0 stop\nPlease choose:"},
    {"NothingToPutInEnglish", "", ""},
    // Bytes of no text at all: kept if ASCII.
    {"OtherBytes", "12, x\x82\xa0", "12, x??"},
};

INSTANTIATE_TEST_SUITE_P(English, ToEnglishTest,
                         testing::ValuesIn(kEnglishCases),
                         [](const testing::TestParamInfo<EnglishCase>& info) {
                           return std::string(info.param.name);
                         });

// A line read a part at a time reads as the whole line does, however the
// parts fall: across a text, between the two bytes of a character, after
// an English text that the next byte must be spaced from.
TEST(ToEnglishPart, PartsJoinedReadAsTheWholeLine) {
  std::string line = std::string("\x82\xa0") + kImpossible + "6,7," +
                     kCanFollow + kNextMovePrompt + "x" + kNoSuchMove +
                     kNextMovePrompt + kImpossible + "2,6," + kCanFollow +
                     kNextMovePrompt + "\x82\xa0" + kNoMoreLinks;
  const std::string whole = inEnglish(line, 512);
  ASSERT_EQ(whole,
            "?? That is impossible: that link is used up, or there is none. "
            "6,7, can follow. Choose the next move: x There is no such move. "
            "Choose the next move: That is impossible: that link is used up, "
            "or there is none. 2,6, can follow. Choose the next move: ?? "
            "Nothing can follow any more.");
  for (std::size_t part = kLongestTextInEnglish; part <= line.size(); ++part) {
    SCOPED_TRACE(part);
    EnglishReading reading;
    std::string joined;
    std::size_t at = 0;
    while (at < line.size()) {
      std::size_t length = std::min(part, line.size() - at);
      bool goesOn = at + length < line.size();
      char out[512];
      std::size_t read = 0;
      std::size_t n = toEnglishPart(line.data() + at, length, goesOn, &reading,
                                    out, sizeof out, &read);
      ASSERT_TRUE(read > 0);
      joined.append(out, n);
      at += read;
    }
    EXPECT_EQ(joined, whole);
  }
}

TEST(ToEnglish, CutsShortAtCapacity) {
  EXPECT_EQ(inEnglish(kNoMoreLinks, 7), "Nothing");
  EXPECT_EQ(inEnglish(kNoMoreLinks, 0), "");
}

}  // namespace
}  // namespace combo
