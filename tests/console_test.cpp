#include "console.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>

namespace combo {
namespace {

// Console is large; tests keep one in static storage, as the program does.
Console* freshConsole() {
  static Console console;
  console = Console{};
  return &console;
}

// Reads numbers from input until the end and describes each result:
// a number as its value, unreadable input as "?".
std::string readAll(const std::string& input) {
  Console* console = freshConsole();
  static char sink[16];
  openMemoryConsole(console, input.data(), input.size(), sink, sizeof sink);
  std::string results;
  for (int guard = 0; guard < 100; ++guard) {
    int32_t number = 0;
    ReadResult read = readNumber(console, &number);
    if (read == ReadResult::kEnd) return results;
    if (!results.empty()) results += " ";
    results += read == ReadResult::kNumber ? std::to_string(number) : "?";
  }
  return results + " (does not end)";
}

struct ReadCase {
  const char* name;
  std::string input;
  const char* results;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }


class ReadNumberTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadNumberTest, ReadsLikeScanfD) {
  EXPECT_EQ(readAll(GetParam().input), GetParam().results)
      << "input: " << GetParam().input;
}

const ReadCase kReadCases[] = {
    // Numbers and the white space between them.
    {"Empty", "", ""},
    {"OnlySpace", " \t\n\v\f\r", ""},
    {"OneNumber", "7", "7"},
    {"SeveralOnALine", "7 6 7\n", "7 6 7"},
    {"AllWhiteSpace", "\t1\n2\v3\f4\r\n5 ", "1 2 3 4 5"},
    {"Signs", "+7 -1 -0 +0", "7 -1 0 0"},
    {"LeadingZeros", "007 0000000000000000000000008", "7 8"},
    // Out of the 32-bit range: the nearest limit, never a small number.
    {"Limits", "2147483647 -2147483648", "2147483647 -2147483648"},
    {"JustBeyondLimits", "2147483648 -2147483649", "2147483647 -2147483648"},
    {"WrapsToSmallNumber", "4294967298 4294967296 -4294967295",
     "2147483647 2147483647 -2147483648"},
    {"VeryLongRun", std::string(5000, '9') + " 1", "2147483647 1"},
    // Reading stops at the first byte that cannot continue the number.
    {"NumberThenComma", "7,", "7 ?"},
    {"NumberThenLetters", "12abc 3", "12 ? 3"},
    {"HexIsDecimalThenJunk", "0x10", "0 ?"},
    {"SignAfterNumber", "5-3", "5 -3"},
    // Unreadable runs are discarded up to the next white space.
    {"Letters", "abc", "?"},
    {"LettersThenNumber", "abc 4", "? 4"},
    {"LetterThenDigit", "x7", "?"},
    {"TwoSigns", "+-3", "?"},
    {"LoneSign", "-", "?"},
    {"SignThenSpace", "- 5", "? 5"},
    {"SignThenLetter", "+a 2", "? 2"},
    {"NulAndHighBytes", std::string("\0\x80\xff 3", 5), "? 3"},
    {"ShiftJisText", "\x82\xa0\x82\xa2 1", "? 1"},
};

INSTANTIATE_TEST_SUITE_P(
    Console, ReadNumberTest, testing::ValuesIn(kReadCases),
    [](const testing::TestParamInfo<ReadCase>& info) {
      return std::string(info.param.name);
    });

TEST(ReadNumber, LeavesTheStopByteForTheNextRead) {
  Console* console = freshConsole();
  static const char input[] = "12abc";
  static char sink[16];
  openMemoryConsole(console, input, 5, sink, sizeof sink);
  int32_t number = 0;
  ASSERT_EQ(readNumber(console, &number), ReadResult::kNumber);
  EXPECT_EQ(number, 12);
  EXPECT_EQ(console->inputPos, 2u);
}

TEST(ReadNumber, ReadsNothingOnceOutputHasFailed) {
  Console* console = freshConsole();
  static const char input[] = "1 2 3";
  static char sink[4];
  openMemoryConsole(console, input, 5, sink, sizeof sink);
  writeText(console, "more than four bytes");
  EXPECT_FALSE(finishOutput(console));
  int32_t number = 0;
  EXPECT_EQ(readNumber(console, &number), ReadResult::kEnd);
  EXPECT_EQ(console->inputPos, 0u);
}

std::string written(void (*write)(Console*)) {
  Console* console = freshConsole();
  static char sink[4 * kOutputBufferSize];
  openMemoryConsole(console, "", 0, sink, sizeof sink);
  write(console);
  EXPECT_TRUE(finishOutput(console));
  return std::string(sink, console->memoryLength);
}

TEST(WriteNumber, WritesAsciiDecimal) {
  EXPECT_EQ(written([](Console* c) { writeNumber(c, 0); }), "0");
  EXPECT_EQ(written([](Console* c) { writeNumber(c, 22); }), "22");
  EXPECT_EQ(written([](Console* c) { writeNumber(c, -1); }), "-1");
  EXPECT_EQ(written([](Console* c) { writeNumber(c, INT32_MAX); }),
            "2147483647");
  EXPECT_EQ(written([](Console* c) { writeNumber(c, INT32_MIN); }),
            "-2147483648");
}

// Text that fills the buffer several times over arrives whole and in order.
TEST(WriteText, CrossesBufferBoundariesIntact) {
  std::string got = written([](Console* c) {
    for (int i = 0; i < 30000; ++i) {
      writeNumber(c, i);
      writeText(c, ",");
    }
  });
  std::string want;
  for (int i = 0; i < 30000; ++i) want += std::to_string(i) + ",";
  EXPECT_GT(want.size(), 2 * kOutputBufferSize);
  EXPECT_EQ(got, want);
}

TEST(FinishOutput, ReportsAFullSinkAsNoSpace) {
  Console* console = freshConsole();
  static char sink[8];
  openMemoryConsole(console, "", 0, sink, sizeof sink);
  writeText(console, "12345678");
  EXPECT_TRUE(finishOutput(console));
  writeText(console, "9");
  EXPECT_FALSE(finishOutput(console));
  EXPECT_EQ(console->writeError, ENOSPC);
  EXPECT_EQ(std::string(sink, console->memoryLength), "12345678");
}

}  // namespace
}  // namespace combo
