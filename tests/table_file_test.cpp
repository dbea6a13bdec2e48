// Table files: the game's table written out and read back, tables that read
// in every form the format allows, and a table of the faults each refused
// at the line and column where it stands, with what was expected there.
#include "table_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

namespace combo {
namespace {

// The game's table as a person reads it off the link chart.
constexpr char kGameTableText[] =
    "1: 2 3 4 6 7\n"
    "2: 1 2 3 5 6\n"
    "3: 1 2 5\n"
    "4: 2 3 5 6 7 8\n"
    "5: 2 3 4 6 7 8\n"
    "6: 2 6 7\n"
    "7: 6\n"
    "8: 6 7\n";

LinkTable gameTable() {
  LinkTable table;
  resetLinks(&table);
  return table;
}

bool sameTable(const LinkTable& a, const LinkTable& b) {
  for (int32_t k = 0; k < kMoveKinds; ++k) {
    for (int32_t j = 0; j < kRowEntries; ++j) {
      if (a.rows[k].entries[j] != b.rows[k].entries[j]) return false;
    }
  }
  return true;
}

std::string written(const LinkTable& table) {
  static Console console;
  static char sink[1024];
  openMemoryConsole(&console, nullptr, 0, sink, sizeof sink);
  writeTableText(&console, table);
  EXPECT_TRUE(finishOutput(&console));
  return std::string(sink, console.memoryLength);
}

TEST(WriteTableText, WritesTheGameTableRowByRowInAscendingOrder) {
  EXPECT_EQ(written(gameTable()), kGameTableText);
}

TEST(WriteTableText, WritesAnEmptyRowAsItsLabelAlone) {
  LinkTable table = {};
  table.rows[2 - 1].entries[2] = 2;
  EXPECT_EQ(written(table), "1:\n2: 2\n3:\n4:\n5:\n6:\n7:\n8:\n");
}

TEST(ReadTableText, ReadsBackWhatWasWritten) {
  LinkTable table = {};
  TableTextError error = {};
  ASSERT_TRUE(
      readTableText(kGameTableText, sizeof kGameTableText - 1, &table, &error))
      << error.line << ":" << error.column << ": " << error.expected;
  EXPECT_TRUE(sameTable(table, gameTable()));
  // Every link of all 64, and none at all.
  LinkTable full = {};
  for (int32_t k = 1; k <= 8; ++k) {
    for (int32_t j = 1; j <= 8; ++j) full.rows[k - 1].entries[j] = j;
  }
  for (const LinkTable& want : {full, LinkTable{}}) {
    std::string text = written(want);
    LinkTable got;
    ASSERT_TRUE(readTableText(text.data(), text.size(), &got, &error)) << text;
    EXPECT_TRUE(sameTable(got, want)) << text;
  }
}

// Tables that the format allows, each the game's table but for row 7,
// which reads 7 -> 6 only.
struct GoodCase {
  const char* name;
  std::string text;
};

void PrintTo(const GoodCase& c, std::ostream* os) { *os << c.name; }

class GoodTableTest : public testing::TestWithParam<GoodCase> {};

TEST_P(GoodTableTest, ReadsAsTheGameTable) {
  const std::string& text = GetParam().text;
  LinkTable table = {};
  TableTextError error = {};
  ASSERT_TRUE(readTableText(text.data(), text.size(), &table, &error))
      << error.line << ":" << error.column << ": " << error.expected;
  EXPECT_TRUE(sameTable(table, gameTable()));
}

const GoodCase kGoodCases[] = {
    {"AsWritten", kGameTableText},
    {"CommentsAndBlankLines",
     "# links of my game\n\n1: 2 3 4 6 7\n2: 1 2 3 5 6\n   \n3: 1 2 5\n"
     "4: 2 3 5 6 7 8\n# a comment between rows\n5: 2 3 4 6 7 8\n6: 2 6 7\n"
     "7: 6\n8: 6 7\n# the end\n"},
    {"CommentAfterARow",
     "1: 2 3 4 6 7 # air float\n2: 1 2 3 5 6#spin\n3: 1 2 5\n"
     "4: 2 3 5 6 7 8\n5: 2 3 4 6 7 8\n6: 2 6 7\n7: 6\n8: 6 7\n"},
    {"AnyOrderTabsAndNoSpaceAfterTheColon",
     "1:7 6 4 3 2\n2:\t1\t2 3 5 6\n3:5 2 1\n  4: 8 7 6 5 3 2\n"
     "5: 2 3 4 6 7 8\n6: 7 6 2\n7:6\n8: 6 7\n"},
    {"CrLfLineEnds",
     "1: 2 3 4 6 7\r\n2: 1 2 3 5 6\r\n3: 1 2 5\r\n4: 2 3 5 6 7 8\r\n"
     "5: 2 3 4 6 7 8\r\n6: 2 6 7\r\n7: 6\r\n8: 6 7\r\n"},
    {"NoLineEndAtTheEnd",
     "1: 2 3 4 6 7\n2: 1 2 3 5 6\n3: 1 2 5\n4: 2 3 5 6 7 8\n"
     "5: 2 3 4 6 7 8\n6: 2 6 7\n7: 6\n8: 6 7"},
    // "空中浮き" in UTF-8, and in Shift_JIS.
    {"JapaneseInComments",
     "# 1 \xe7\xa9\xba\xe4\xb8\xad\xe6\xb5\xae\xe3\x81\x8d\n"
     "1: 2 3 4 6 7 # \x8b\xf3\x92\x86\x95\x82\x82\xab\n"
     "2: 1 2 3 5 6\n3: 1 2 5\n4: 2 3 5 6 7 8\n"
     "5: 2 3 4 6 7 8\n6: 2 6 7\n7: 6\n8: 6 7\n"},
};

INSTANTIATE_TEST_SUITE_P(ReadTableText, GoodTableTest,
                         testing::ValuesIn(kGoodCases),
                         [](const testing::TestParamInfo<GoodCase>& info) {
                           return std::string(info.param.name);
                         });

// A fault, where it stands and what was expected there.
struct BadCase {
  const char* name;
  std::string text;
  int32_t line;
  int32_t column;
  const char* expected;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class BadTableTest : public testing::TestWithParam<BadCase> {};

TEST_P(BadTableTest, IsRefusedWhereTheFaultStands) {
  const BadCase& c = GetParam();
  LinkTable table = gameTable();
  TableTextError error = {};
  EXPECT_FALSE(readTableText(c.text.data(), c.text.size(), &table, &error));
  EXPECT_EQ(error.line, c.line);
  EXPECT_EQ(error.column, c.column);
  EXPECT_STREQ(error.expected, c.expected);
  EXPECT_TRUE(sameTable(table, gameTable())) << "the table was changed";
}

// The first seven rows of the game's table, each with its line end.
const std::string kSevenRows =
    "1: 2 3 4 6 7\n2: 1 2 3 5 6\n3: 1 2 5\n4: 2 3 5 6 7 8\n"
    "5: 2 3 4 6 7 8\n6: 2 6 7\n7: 6\n";

const BadCase kBadCases[] = {
    {"Empty", "", 1, 1, "expected row 1, beginning \"1:\""},
    {"OnlyComments", "# nothing yet\n\n", 3, 1,
     "expected row 1, beginning \"1:\""},
    {"RowMissingAtTheEnd", kSevenRows, 8, 1,
     "expected row 8, beginning \"8:\""},
    {"RowMissingInTheMiddle", "1: 2\n2: 1\n4: 2\n", 3, 1,
     "expected row 3, beginning \"3:\""},
    {"RowsOutOfOrder", "2: 1\n1: 2\n", 1, 1,
     "expected row 1, beginning \"1:\""},
    {"RowRepeated", "1: 2\n1: 3\n", 2, 1, "expected row 2, beginning \"2:\""},
    {"ExtraRow", kSevenRows + "8: 6 7\n9: 1\n", 9, 1,
     "expected the end of the table after row 8"},
    {"ExtraRowAfterTheLast", kSevenRows + "8: 6 7\n8: 6\n", 9, 1,
     "expected the end of the table after row 8"},
    {"NoColon", "1 2 3\n", 1, 2, "expected \":\" after the row's kind"},
    {"LabelAtTheVeryEnd", "1", 1, 2, "expected \":\" after the row's kind"},
    {"NotALabel", "one: 2\n", 1, 1, "expected row 1, beginning \"1:\""},
    {"KindZero", "1: 2 0\n", 1, 6, "expected a move kind from 1 to 8"},
    {"KindNine", "1: 9\n", 1, 4, "expected a move kind from 1 to 8"},
    {"KindsRunTogether", "1: 23\n", 1, 4, "expected a move kind from 1 to 8"},
    {"KindsWithCommas", "1: 2,3\n", 1, 4, "expected a move kind from 1 to 8"},
    {"KindNegative", "1: -2\n", 1, 4, "expected a move kind from 1 to 8"},
    {"KindWithALeadingZero", "1: 02\n", 1, 4,
     "expected a move kind from 1 to 8"},
    {"KindAsAWord", "1:\tspin\n", 1, 4, "expected a move kind from 1 to 8"},
    {"JapaneseOutsideAComment", "1: \x82\xab\n", 1, 4,
     "expected a move kind from 1 to 8"},
    {"LinkRepeated", "1: 2 3 2\n", 1, 8,
     "expected each kind once in a row: 2 is listed twice"},
    {"SelfLinkRepeated", "1: 2\n2: 2 1 2\n", 2, 8,
     "expected each kind once in a row: 2 is listed twice"},
    {"NulByte",
     kSevenRows + std::string("8: 6\0"
                              "7\n",
                              7),
     8, 5, "expected text, not the byte 0x00"},
    {"ControlByteInAComment", "# \x1b[1m\n", 1, 3,
     "expected text, not the byte 0x1B"},
    {"DeleteByte", "1: 2\x7f\n", 1, 5, "expected text, not the byte 0x7F"},
    // A fault of text is found before a fault of form that stands earlier.
    {"NotTextBeforeOrder", "2: 1\n\x01", 2, 1,
     "expected text, not the byte 0x01"},
    {"TooLarge", kSevenRows + "8: 6 7\n" + std::string(65536, '#'), 9, 65451,
     "expected at most 65536 bytes in a table file"},
};

INSTANTIATE_TEST_SUITE_P(ReadTableText, BadTableTest,
                         testing::ValuesIn(kBadCases),
                         [](const testing::TestParamInfo<BadCase>& info) {
                           return std::string(info.param.name);
                         });

// The largest file that is allowed: the game's table, then a comment that
// fills it to the last byte.
TEST(ReadTableText, TakesAFileOfExactlyTheLimit) {
  std::string text = kGameTableText;
  text += "#" + std::string(kMaxTableFileSize - text.size() - 1, 'x');
  ASSERT_EQ(text.size(), kMaxTableFileSize);
  LinkTable table = {};
  TableTextError error = {};
  EXPECT_TRUE(readTableText(text.data(), text.size(), &table, &error));
  EXPECT_TRUE(sameTable(table, gameTable()));
}

// Files, and the whole line for standard error.
struct FileResult {
  bool read;
  std::string message;
  LinkTable table;
};

FileResult readFile(const char* path) {
  FileResult result = {false, "", gameTable()};
  char message[512] = "";
  result.read = readTableFile(path, &result.table, message, sizeof message);
  result.message = message;
  return result;
}

void writeFile(const char* path, const std::string& text) {
  std::FILE* file = std::fopen(path, "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
  ASSERT_EQ(std::fclose(file), 0);
}

TEST(ReadTableFile, ReadsATableFile) {
  const char* path = "table-file-good.tmp";  // in the test's directory
  writeFile(path, "1:\n2: 2\n3:\n4:\n5:\n6:\n7:\n8:\n");
  FileResult result = readFile(path);
  std::remove(path);
  EXPECT_TRUE(result.read) << result.message;
  LinkTable want = {};
  want.rows[2 - 1].entries[2] = 2;
  EXPECT_TRUE(sameTable(result.table, want));
}

TEST(ReadTableFile, NamesTheFileLineAndColumnOfAFault) {
  const char* path = "table-file-bad.tmp";
  writeFile(path, "# mine\n1: 2 3 4 6 7\n2: 1 2 3 5 6\n3: 1 2 9\n");
  FileResult result = readFile(path);
  std::remove(path);
  EXPECT_FALSE(result.read);
  EXPECT_EQ(result.message,
            "table-file-bad.tmp:4:8: expected a move kind from 1 to 8\n");
  EXPECT_TRUE(sameTable(result.table, gameTable()));
}

TEST(ReadTableFile, RefusesAFileLargerThanTheLimit) {
  const char* path = "table-file-large.tmp";
  writeFile(path, std::string(kMaxTableFileSize + 1, '\n'));
  FileResult result = readFile(path);
  std::remove(path);
  EXPECT_FALSE(result.read);
  EXPECT_EQ(result.message,
            "table-file-large.tmp:65537:1: expected at most 65536 bytes in a "
            "table file\n");
}

TEST(ReadTableFile, RefusesAFileThatCannotBeRead) {
  FileResult missing = readFile("no-such-table-file.tmp");
  EXPECT_FALSE(missing.read);
  EXPECT_EQ(missing.message,
            "no-such-table-file.tmp:1:1: expected a table file that can be "
            "read: No such file or directory\n");
#ifndef _WIN32
  FileResult directory = readFile(".");
  EXPECT_FALSE(directory.read);
  EXPECT_EQ(directory.message,
            ".:1:1: expected a table file that can be read: Is a "
            "directory\n");
#endif
}

TEST(ReadTableFile, ShowsAPathOnOneLineOfPrintableAscii) {
  FileResult result = readFile("no\nsuch\xe3\x81\x82.tmp");
  EXPECT_EQ(result.message.substr(0, 20), "no?such???.tmp:1:1: ");
  std::string longPath(300, 'd');
  result = readFile(longPath.c_str());
  EXPECT_EQ(result.message.substr(0, 204), std::string(200, 'd') + "...:");
}

}  // namespace
}  // namespace combo
