#include "console.h"

#include <gtest/gtest.h>

// The tests that hand the console real descriptors need POSIX sockets.
#if __has_include(<sys/socket.h>)
#define COMBO_HAVE_POSIX_DESCRIPTORS 1
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
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
    // With ten or more bytes buffered from its first digit, a number is
    // taken by the inline fast path; these rows exercise it.
    {"FastPathShortNumbers", "12 3456789 0 45          ", "12 3456789 0 45"},
    {"FastPathNineDigits", "123456789 987654321 000000007          ",
     "123456789 987654321 7"},
    {"FastPathTenDigitsGoSlow", "1234567890 2147483648 0000000071          ",
     "1234567890 2147483647 71"},
    {"FastPathStopByte", "42x 7,          ", "42 ? 7 ?"},
};

INSTANTIATE_TEST_SUITE_P(Console, ReadNumberTest, testing::ValuesIn(kReadCases),
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

// An input that goes on in parts: the end of a part reads as the end of
// input, and the next part is read from its start; each part's output is
// counted on its own.
TEST(ContinueMemoryConsole, ReadsEachPartAfterTheLast) {
  Console* console = freshConsole();
  static char sink[16];
  openMemoryConsole(console, nullptr, 0, sink, sizeof sink);
  EXPECT_FALSE(console->inputGoesOn);
  continueMemoryConsole(console, "12 x\n", 5);
  EXPECT_TRUE(console->inputGoesOn);
  int32_t number = 0;
  ASSERT_EQ(readNumber(console, &number), ReadResult::kNumber);
  EXPECT_EQ(number, 12);
  EXPECT_EQ(readNumber(console, &number), ReadResult::kUnreadable);
  EXPECT_EQ(readNumber(console, &number), ReadResult::kEnd);
  writeText(console, "abc");
  ASSERT_TRUE(finishOutput(console));
  EXPECT_EQ(console->memoryLength, 3u);

  // A part that begins with unused bytes of the last one left over: those
  // are dropped.
  continueMemoryConsole(console, "-7 8 ", 5);
  ASSERT_EQ(readNumber(console, &number), ReadResult::kNumber);
  EXPECT_EQ(number, -7);
  EXPECT_EQ(console->memoryLength, 0u);
  continueMemoryConsole(console, "\n9\n", 3);
  ASSERT_EQ(readNumber(console, &number), ReadResult::kNumber);
  EXPECT_EQ(number, 9);
  EXPECT_EQ(readNumber(console, &number), ReadResult::kEnd);
  writeText(console, "de");
  ASSERT_TRUE(finishOutput(console));
  EXPECT_EQ(std::string(sink, console->memoryLength), "de");
}

// A failed write is not forgotten when the next part comes.
TEST(ContinueMemoryConsole, KeepsAFailedWriteFailed) {
  Console* console = freshConsole();
  static char sink[4];
  openMemoryConsole(console, nullptr, 0, sink, sizeof sink);
  continueMemoryConsole(console, "1 ", 2);
  writeText(console, "more than four bytes");
  EXPECT_FALSE(finishOutput(console));
  continueMemoryConsole(console, "2 ", 2);
  int32_t number = 0;
  EXPECT_EQ(readNumber(console, &number), ReadResult::kEnd);
  EXPECT_NE(console->writeError, 0);
}

#ifdef COMBO_HAVE_POSIX_DESCRIPTORS
// A memory input past its end is the end of input, whatever the process's
// own descriptors hold: it never falls back to reading one of them.
TEST(ReadNumber, MemoryInputNeverReadsADescriptor) {
  // Standard input holds a number while the memory input runs out.
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  ASSERT_EQ(write(pipeFds[1], "5 ", 2), 2);
  close(pipeFds[1]);
  int savedStdin = dup(0);
  ASSERT_GE(savedStdin, 0);
  dup2(pipeFds[0], 0);
  close(pipeFds[0]);

  Console* console = freshConsole();
  static char sink[16];
  openMemoryConsole(console, "1", 1, sink, sizeof sink);
  int32_t number = 0;
  ReadResult first = readNumber(console, &number);
  ReadResult second = readNumber(console, &number);

  dup2(savedStdin, 0);
  close(savedStdin);
  EXPECT_EQ(first, ReadResult::kNumber);
  EXPECT_EQ(second, ReadResult::kEnd);
  EXPECT_EQ(number, 1);
  EXPECT_EQ(console->readError, 0);
}

// Input that arrives in two reads, split at every point: the numbers read
// are the same as from one piece. A number cut short by the end of the
// first read must go on with the digits of the second, however many bytes
// of it the first read held.
TEST(ReadNumber, NumberSplitAcrossReadsAtEveryPoint) {
  const std::string input = "x 0000000071 12 3456789 -45 987654321 0 ";
  const char* want = "? 71 12 3456789 -45 987654321 0";
  for (std::size_t split = 0; split <= input.size(); ++split) {
    SCOPED_TRACE("split after byte " + std::to_string(split));
    // A packet socket hands over each write as one read.
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
    std::string first = input.substr(0, split);
    std::string second = input.substr(split);
    for (const std::string& part : {first, second}) {
      if (part.empty()) continue;  // an empty packet would read as the end
      ASSERT_EQ(write(fds[1], part.data(), part.size()),
                static_cast<ssize_t>(part.size()));
    }
    close(fds[1]);
    Console* console = freshConsole();
    openFileConsole(console, fds[0], -1);
    std::string results;
    int32_t number = 0;
    for (ReadResult read = readNumber(console, &number);
         read != ReadResult::kEnd; read = readNumber(console, &number)) {
      if (!results.empty()) results += " ";
      results += read == ReadResult::kNumber ? std::to_string(number) : "?";
    }
    close(fds[0]);
    EXPECT_EQ(results, want);
  }
}
#endif  // COMBO_HAVE_POSIX_DESCRIPTORS

// A Console opened again starts afresh: nothing of its last use (how far
// it read, the end of input, what it wrote, a failed write) carries over.
TEST(OpenMemoryConsole, StartsAfreshWhenOpenedAgain) {
  Console* console = freshConsole();
  static char small[4];
  openMemoryConsole(console, "5", 1, small, sizeof small);
  int32_t number = 0;
  ASSERT_EQ(readNumber(console, &number), ReadResult::kNumber);
  ASSERT_EQ(readNumber(console, &number), ReadResult::kEnd);
  writeText(console, "more than four bytes");
  ASSERT_FALSE(finishOutput(console));

  static char sink[16];
  openMemoryConsole(console, "7 6", 3, sink, sizeof sink);
  ASSERT_EQ(readNumber(console, &number), ReadResult::kNumber);
  EXPECT_EQ(number, 7);
  writeText(console, "ok");
  EXPECT_TRUE(finishOutput(console));
  EXPECT_EQ(std::string(sink, console->memoryLength), "ok");
}

// Only a descriptor is moved back. A memory input keeps what was not read
// yet, and the next read takes it.
TEST(ReturnUnusedInput, LeavesAMemoryInputAlone) {
  Console* console = freshConsole();
  static char sink[16];
  openMemoryConsole(console, "7 6", 3, sink, sizeof sink);
  int32_t number = 0;
  ASSERT_EQ(readNumber(console, &number), ReadResult::kNumber);
  ASSERT_EQ(number, 7);
  returnUnusedInput(console);
  ASSERT_EQ(readNumber(console, &number), ReadResult::kNumber);
  EXPECT_EQ(number, 6);
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

// Every kind of write the dialogue makes, at the edge of a full buffer:
// with 0 to 3 bytes of room left it must go out whole and in order, and
// nothing may be written past the buffer.
struct EdgeWrite {
  const char* name;
  void (*write)(Console*);
  const char* bytes;
};

void PrintTo(const EdgeWrite& w, std::ostream* os) { *os << w.name; }

class WriteAtBufferEdgeTest : public testing::TestWithParam<EdgeWrite> {};

// A console followed by bytes that no write may touch.
struct GuardedConsole {
  Console console;
  char guard[64];
};

TEST_P(WriteAtBufferEdgeTest, ArrivesWhole) {
  for (std::size_t room = 0; room <= 3; ++room) {
    SCOPED_TRACE("room left " + std::to_string(room));
    static GuardedConsole guarded;
    guarded = GuardedConsole{};
    std::memset(guarded.guard, 'G', sizeof guarded.guard);
    Console* console = &guarded.console;
    static char sink[2 * kOutputBufferSize];
    openMemoryConsole(console, "", 0, sink, sizeof sink);
    static const std::string fill(kOutputBufferSize, '.');
    writeText(console, fill.data(), kOutputBufferSize - room);
    GetParam().write(console);
    // The buffer's end is a hard limit: anything beyond it is past the
    // Console itself.
    EXPECT_LE(console->outputLength, kOutputBufferSize);
    EXPECT_EQ(std::string(guarded.guard, sizeof guarded.guard),
              std::string(sizeof guarded.guard, 'G'));
    ASSERT_TRUE(finishOutput(console));
    std::string got(sink, console->memoryLength);
    EXPECT_EQ(got.substr(0, kOutputBufferSize - room),
              fill.substr(0, kOutputBufferSize - room));
    EXPECT_EQ(got.substr(kOutputBufferSize - room), GetParam().bytes);
  }
}

// A listing and a chain as the dialogue puts them together: a fixed block
// of which only the first bytes count.
const char kListingBlock[16] = {'6', ',', '7', ',', '0', ',', '0', ',',
                                '0', ',', '0', ',', '0', ',', '0', ','};
const char kChainBlock[101] = "\n7,6,7,0,0,0,0,0,0";

const EdgeWrite kEdgeWrites[] = {
    {"OneByteText", [](Console* c) { writeText(c, "\n"); }, "\n"},
    {"LongerText", [](Console* c) { writeText(c, "+1Zorv\n\n"); },
     "+1Zorv\n\n"},
    {"Listing", [](Console* c) { writePrefix(c, kListingBlock, 4); }, "6,7,"},
    {"Chain", [](Console* c) { writePrefix(c, kChainBlock, 7); }, "\n7,6,7,"},
    {"EmptyPrefix", [](Console* c) { writePrefix(c, kListingBlock, 0); }, ""},
    {"Zero", [](Console* c) { writeNumber(c, 0); }, "0"},
    {"OneDigit", [](Console* c) { writeNumber(c, 7); }, "7"},
    {"TwoDigits", [](Console* c) { writeNumber(c, 42); }, "42"},
    {"Negative", [](Console* c) { writeNumber(c, -12); }, "-12"},
};

INSTANTIATE_TEST_SUITE_P(Console, WriteAtBufferEdgeTest,
                         testing::ValuesIn(kEdgeWrites),
                         [](const testing::TestParamInfo<EdgeWrite>& info) {
                           return std::string(info.param.name);
                         });

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
