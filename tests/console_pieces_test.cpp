// The pieces in which output is converted for a Windows console: wherever
// the output is cut, by flushes or by the size of a piece, each piece is
// whole characters, and together they give the same text.
//
// Each piece is decoded on its own, strictly, so a cut character shows up
// as a piece that does not decode; natively with the C library's iconv, on
// Windows with MultiByteToWideChar, which is what the program uses there.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>

#include "console.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include "iconv_text.h"
#endif

namespace combo {
namespace {

enum class Encoding { kCp932, kUtf8 };

// Decodes bytes to UTF-16, or returns nothing if they are not whole, valid
// characters of the encoding.
std::optional<std::u16string> toUtf16(const std::string& bytes, Encoding from) {
  if (bytes.empty()) return std::u16string();
#ifdef _WIN32
  UINT codePage = from == Encoding::kCp932 ? 932 : CP_UTF8;
  wchar_t wide[8192];
  int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                  static_cast<int>(bytes.size()), wide,
                                  static_cast<int>(std::size(wide)));
  if (units <= 0) return std::nullopt;
  return std::u16string(wide, wide + units);
#else
  std::optional<std::string> units = convertText(
      bytes, from == Encoding::kCp932 ? "CP932" : "UTF-8", "UTF-16LE");
  if (!units) return std::nullopt;
  std::u16string text;
  for (std::size_t i = 0; i + 1 < units->size(); i += 2) {
    const char* unit = units->data() + i;
    text += static_cast<char16_t>(static_cast<unsigned char>(unit[0]) |
                                  static_cast<unsigned char>(unit[1]) << 8);
  }
  return text;
#endif
}

std::string readFile(const std::string& name) {
  std::ifstream file(std::string(COMBO_TRANSCRIPTS_DIR) + "/" + name,
                     std::ios::binary);
  EXPECT_TRUE(file) << "cannot read " << name;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// The worked example as the program writes it, and as it reads (UTF-8).
const std::string& workedExample() {
  static const std::string bytes = readFile("worked-example.sjis");
  return bytes;
}
const std::string& workedExampleText() {
  static const std::string text = readFile("worked-example.out");
  return text;
}

int fileDescriptor(std::FILE* file) {
#ifdef _WIN32
  return _fileno(file);
#else
  return fileno(file);
#endif
}

Console* freshConsole() {
  static Console console;
  console = Console{};
  return &console;
}

// Gives text to takeConsolePiece as a flush would, and appends what each
// piece decodes to onto *decoded; a piece that does not decode fails the
// test. Returns the number of pieces.
int convertFlush(Console* console, const std::string& text,
                 std::u16string* decoded) {
  int pieces = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    char piece[kConsolePieceSize];
    std::size_t taken = 0;
    std::size_t length = takeConsolePiece(console, text.data() + at,
                                          text.size() - at, piece, &taken);
    EXPECT_GT(taken, 0u);
    EXPECT_LE(length, kConsolePieceSize);
    at += taken;
    ++pieces;
    std::optional<std::u16string> part =
        toUtf16(std::string(piece, length), Encoding::kCp932);
    EXPECT_TRUE(part.has_value())
        << "piece " << pieces << " ends at byte " << at << " of " << text.size()
        << " and is not whole characters";
    if (part) *decoded += *part;
  }
  return pieces;
}

TEST(TakeConsolePiece, EverySplitOfTheWorkedExampleGivesTheSameText) {
  const std::string& bytes = workedExample();
  std::optional<std::u16string> want =
      toUtf16(workedExampleText(), Encoding::kUtf8);
  ASSERT_TRUE(want.has_value());
  ASSERT_GT(bytes.size(), 600u);
  for (std::size_t split = 0; split <= bytes.size(); ++split) {
    Console* console = freshConsole();
    std::u16string got;
    convertFlush(console, bytes.substr(0, split), &got);
    convertFlush(console, bytes.substr(split), &got);
    EXPECT_FALSE(console->leadByteHeld) << "split at byte " << split;
    ASSERT_EQ(got, *want) << "split at byte " << split;
  }
}

// Output longer than a piece is cut by the piece size too. Shifting it by
// one ASCII byte at a time puts a lead byte at the end of a piece for some
// of the shifts.
TEST(TakeConsolePiece, PieceEdgesNeverCutACharacter) {
  std::string text;
  for (int i = 0; i < 4; ++i) text += workedExample();
  ASSERT_GT(text.size(), kConsolePieceSize + 1);
  int shiftsThatCut = 0;
  for (std::size_t shift = 0; shift < 8; ++shift) {
    std::string shifted = std::string(shift, 'x') + text;
    std::optional<std::u16string> want = toUtf16(shifted, Encoding::kCp932);
    ASSERT_TRUE(want.has_value());
    Console* console = freshConsole();
    char piece[kConsolePieceSize];
    std::size_t taken = 0;
    std::size_t length = takeConsolePiece(console, shifted.data(),
                                          shifted.size(), piece, &taken);
    EXPECT_EQ(taken, kConsolePieceSize);
    if (console->leadByteHeld) {
      ++shiftsThatCut;
      EXPECT_EQ(length, kConsolePieceSize - 1);
    }
    std::u16string got = *toUtf16(std::string(piece, length), Encoding::kCp932);
    convertFlush(console, shifted.substr(taken), &got);
    EXPECT_FALSE(console->leadByteHeld);
    EXPECT_EQ(got, *want) << "shifted by " << shift;
  }
  EXPECT_GT(shiftsThatCut, 0) << "no shift put a lead byte at a piece end";
}

// A byte held from the last piece comes first, so a piece after it has room
// for one byte less of the text: with 2,047 bytes or more to follow, the
// piece takes 2,047 of them and no more, the held byte leading it. Exactly
// a piece's worth to follow is the edge where a byte too many would fit
// the test of the length alone.
TEST(TakeConsolePiece, AFullPieceAfterAHeldByteTakesOneByteLess) {
  for (std::size_t follow : {kConsolePieceSize - 1, kConsolePieceSize,
                             kConsolePieceSize + 1, 2 * kConsolePieceSize}) {
    SCOPED_TRACE(testing::Message() << follow << " bytes follow");
    Console* console = freshConsole();
    struct {
      char piece[kConsolePieceSize];
      char after[16];  // a byte written past the piece would land here
    } guarded;
    std::memset(guarded.after, 'G', sizeof guarded.after);
    std::size_t taken = 0;
    ASSERT_EQ(takeConsolePiece(console, "\x82", 1, guarded.piece, &taken), 0u);
    ASSERT_TRUE(console->leadByteHeld);
    // The trail byte of the held character, then ASCII: every split leaves
    // whole characters.
    std::string text = "\xa0" + std::string(follow - 1, 'a');
    std::size_t length = takeConsolePiece(console, text.data(), text.size(),
                                          guarded.piece, &taken);
    EXPECT_EQ(taken, kConsolePieceSize - 1);
    EXPECT_EQ(length, kConsolePieceSize);
    EXPECT_FALSE(console->leadByteHeld);
    EXPECT_EQ(std::string(guarded.piece, 3),
              "\x82\xa0"
              "a");
    EXPECT_EQ(guarded.piece[kConsolePieceSize - 1], 'a');
    EXPECT_EQ(std::string(guarded.after, sizeof guarded.after),
              std::string(sizeof guarded.after, 'G'));
  }
}

// A lead byte whose trail byte never comes still goes out, as it is.
TEST(FinishOutput, WritesAHeldLeadByteAsItIs) {
  const char* name = "held-lead-byte.tmp";  // in the test's directory
  std::FILE* file = std::fopen(name, "w+b");
  ASSERT_NE(file, nullptr);
  Console* console = freshConsole();
  openFileConsole(console, -1, fileDescriptor(file));
  char piece[kConsolePieceSize];
  std::size_t taken = 0;
  EXPECT_EQ(takeConsolePiece(console, "7,\x82", 3, piece, &taken), 2u);
  EXPECT_TRUE(console->leadByteHeld);
  EXPECT_TRUE(finishOutput(console));
  EXPECT_FALSE(console->leadByteHeld);
  std::rewind(file);
  char got[4] = {};
  EXPECT_EQ(std::fread(got, 1, sizeof got, file), 1u);
  EXPECT_EQ(got[0], '\x82');
  std::fclose(file);
  std::remove(name);
}

// A memory console keeps it in its memory too, as the rest of its output
// (never on a descriptor it does not have), and a full memory refuses it
// as a full disk does.
TEST(FinishOutput, WritesAHeldLeadByteIntoMemory) {
  struct {
    std::size_t capacity;
    bool written;
    int error;
    const char* kept;
  } cases[] = {{4, true, 0, "7,\x82"}, {2, false, ENOSPC, "7,"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "room for " << c.capacity << " bytes");
    Console* console = freshConsole();
    static char sink[4];
    openMemoryConsole(console, "", 0, sink, c.capacity);
    writeText(console, "7,");
    char piece[kConsolePieceSize];
    std::size_t taken = 0;
    ASSERT_EQ(takeConsolePiece(console, "\x82", 1, piece, &taken), 0u);
    ASSERT_TRUE(console->leadByteHeld);
    EXPECT_EQ(finishOutput(console), c.written);
    EXPECT_EQ(console->writeError, c.error);
    EXPECT_FALSE(console->leadByteHeld);
    EXPECT_EQ(std::string(sink, console->memoryLength), c.kept);
  }
}

// Writing that byte can fail too, and that failure is the one reported.
TEST(FinishOutput, ReportsAFailedWriteOfAHeldLeadByte) {
#ifdef _WIN32
  GTEST_SKIP() << "needs /dev/full";
#else
  std::FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  Console* console = freshConsole();
  openFileConsole(console, -1, fileDescriptor(full));
  char piece[kConsolePieceSize];
  std::size_t taken = 0;
  ASSERT_EQ(takeConsolePiece(console, "7,\x82", 3, piece, &taken), 2u);
  EXPECT_FALSE(finishOutput(console));
  EXPECT_EQ(console->writeError, ENOSPC);
  std::fclose(full);
#endif
}

// A flush that fails before the held byte is written ends it there: the
// byte is not written after it, and the flush's error stays the one named.
TEST(FinishOutput, KeepsTheErrorOfAFailedFlushWithAByteHeld) {
  Console* console = freshConsole();
  static char sink[4];
  openMemoryConsole(console, "", 0, sink, sizeof sink);
  char piece[kConsolePieceSize];
  std::size_t taken = 0;
  ASSERT_EQ(takeConsolePiece(console, "7,\x82", 3, piece, &taken), 2u);
  writeText(console, "more than four bytes");
  EXPECT_FALSE(finishOutput(console));
  EXPECT_EQ(console->writeError, ENOSPC);
}

}  // namespace
}  // namespace combo
