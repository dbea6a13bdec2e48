// Every text the program writes, decoded from its Shift_JIS bytes and
// compared with the readable Japanese, so the two can never drift apart.
#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "combo_dialogue.h"
#include "english.h"
#include "iconv_text.h"
#include "link_table.h"

namespace combo {
namespace {

// Decodes Shift_JIS bytes to UTF-8, or returns "(invalid)" if they are not
// valid Shift_JIS.
std::string fromShiftJis(const std::string& bytes) {
  return convertText(bytes, "SHIFT_JIS", "UTF-8").value_or("(invalid)");
}

struct TextCase {
  const char* name;
  std::string bytes;
  const char* readable;  // UTF-8
  size_t shiftJisLength;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class TextTest : public testing::TestWithParam<TextCase> {};

TEST_P(TextTest, DecodesToTheReadableText) {
  EXPECT_EQ(fromShiftJis(GetParam().bytes), GetParam().readable);
  EXPECT_EQ(GetParam().bytes.size(), GetParam().shiftJisLength);
}

const TextCase kTexts[] = {
    {"MenuLine1", kMenuLine1,
     "1,空中浮き 2,空中きりもみ 3,空中ふっとばし 4,空中バウンド", 57},
    {"MenuLine2", kMenuLine2,
     "5,地上浮き 6,地上きりもみ 7,地上ふっとばし 8,地上バウンド", 57},
    {"StarterPrompt", kStarterPrompt, "始動技を選んでください：", 24},
    {"CanFollow", kCanFollow, "が、繋がります。", 16},
    {"NextMovePrompt", kNextMovePrompt, "次の技を選んでください：", 24},
    {"Impossible", kImpossible, "それは無理です。", 16},
    {"NoMoreLinks", kNoMoreLinks, "もう繋がりません。", 18},
    {"NoSuchMove", kNoSuchMove, "そんな技はありません。", 22},
    // The chain length message is "%d+1Zorvです。\n\n", 16 bytes with its
    // "%d"; the program writes the number, then this tail.
    {"ChainLengthTail", kChainLengthTail, "+1Zorvです。\n\n", 14},
    {"ReplayPrompt", kReplayPrompt,
     "1,もう一回 0,もうやめる\n選択してください：", 42},
    {"ChainLengthWords", kChainLengthWords, "+1Zorvです。", 12},
    {"ReplayPromptLine1", kReplayPromptLine1, "1,もう一回 0,もうやめる", 23},
    {"ReplayPromptLine2", kReplayPromptLine2, "選択してください：", 18},
    {"ReplayChoiceOnceMore", kReplayChoices[0].name, "もう一回", 8},
    {"ReplayChoiceStop", kReplayChoices[1].name, "もうやめる", 10},
    // The names of the move kinds, as charts show them.
    {"MoveName1", kMoveNames[0].menuName, "空中浮き", 8},
    {"MoveName2", kMoveNames[1].menuName, "空中きりもみ", 12},
    {"MoveName3", kMoveNames[2].menuName, "空中ふっとばし", 14},
    {"MoveName4", kMoveNames[3].menuName, "空中バウンド", 12},
    {"MoveName5", kMoveNames[4].menuName, "地上浮き", 8},
    {"MoveName6", kMoveNames[5].menuName, "地上きりもみ", 12},
    {"MoveName7", kMoveNames[6].menuName, "地上ふっとばし", 14},
    {"MoveName8", kMoveNames[7].menuName, "地上バウンド", 12},
    {"GroupAir", kMoveGroups[0].name, "空中", 4},
    {"GroupGround", kMoveGroups[1].name, "地上", 4},
};

// The replay choices are the ones the prompt names, in its order:
// "1,もう一回 0,もうやめる" is "ANSWER,NAME" for each, joined by a space.
TEST(ReplayChoices, AreTheOnesThePromptNames) {
  std::string named;
  for (const ReplayChoice& choice : kReplayChoices) {
    if (!named.empty()) named += " ";
    named += std::to_string(choice.answer) + "," + choice.name;
  }
  std::string prompt(kReplayPrompt);
  EXPECT_EQ(prompt.substr(0, prompt.find('\n')), named);
  EXPECT_STREQ(kReplayChoices[0].gloss, "once more");
  EXPECT_STREQ(kReplayChoices[1].gloss, "stop");
}

INSTANTIATE_TEST_SUITE_P(Texts, TextTest, testing::ValuesIn(kTexts),
                         [](const testing::TestParamInfo<TextCase>& info) {
                           return std::string(info.param.name);
                         });

// The texts read line by line in English are the very lines the dialogue
// writes: the prompts with a line break inside, taken apart, give the whole.
TEST(TextsInEnglish, TakeTheTextsApartAtTheirLineBreaks) {
  EXPECT_EQ(std::string(kChainLengthWords) + "\n\n", kChainLengthTail);
  EXPECT_EQ(std::string(kReplayPromptLine1) + "\n" + kReplayPromptLine2,
            kReplayPrompt);
}

// The menu lines' English names the moves as kMoveNames glosses them.
TEST(TextsInEnglish, MenuLinesUseTheMoveGlosses) {
  std::string lines[2];
  for (int32_t move = 1; move <= kMoveKinds; ++move) {
    std::string& line = lines[move <= 4 ? 0 : 1];
    if (!line.empty()) line += ", ";
    line += std::to_string(move) + " " + kMoveNames[move - 1].gloss;
  }
  EXPECT_EQ(lines[0], kMenuLine1InEnglish);
  EXPECT_EQ(lines[1], kMenuLine2InEnglish);
}

// Each move's name and gloss begin with its group's: 空中浮き is an air move.
TEST(MoveGroups, NameTheGroupOfEachMove) {
  for (int32_t move = 1; move <= kMoveKinds; ++move) {
    const MoveGroup& group = kMoveGroups[(move - 1) / kMovesPerGroup];
    std::string name = kMoveNames[move - 1].menuName;
    std::string gloss = kMoveNames[move - 1].gloss;
    EXPECT_EQ(name.rfind(group.name, 0), 0u) << "move " << move;
    EXPECT_EQ(gloss.rfind(std::string(group.gloss) + " ", 0), 0u)
        << "move " << move;
  }
}

// The rows of README.md's table "What the texts say": the quoted Japanese
// text and its English, as written there.
std::vector<std::pair<std::string, std::string>> readmeTexts() {
  std::ifstream file(COMBO_README);
  std::stringstream whole;
  whole << file.rdbuf();
  std::string readme = whole.str();
  std::size_t at = readme.find("## What the texts say");
  std::size_t end = readme.find("\n## ", at + 1);
  std::vector<std::pair<std::string, std::string>> rows;
  std::istringstream section(readme.substr(at, end - at));
  for (std::string line; std::getline(section, line);) {
    // | "TEXT" | ENGLISH |
    if (line.rfind("| \"", 0) != 0) continue;
    std::size_t close = line.find("\" | ", 3);
    std::size_t last = line.rfind(" |");
    if (close == std::string::npos || last <= close + 4) continue;
    rows.emplace_back(line.substr(3, close - 3),
                      line.substr(close + 4, last - close - 4));
  }
  return rows;
}

// The README's table is where the English comes from: the program's own
// pairs are the same, in the same order.
TEST(TextsInEnglish, AreTheReadmeTable) {
  auto rows = readmeTexts();
  ASSERT_EQ(rows.size(), std::size(kTextsInEnglish))
      << "README.md, What the texts say: one row per text";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(fromShiftJis(kTextsInEnglish[i].text), rows[i].first)
        << "row " << i + 1;
    EXPECT_EQ(kTextsInEnglish[i].english, rows[i].second) << "row " << i + 1;
  }
}

}  // namespace
}  // namespace combo
