// table_fuzz: reads bytes made up by libFuzzer as the text of a table file
// (table_file.h), and stops at the first input that breaks one of the
// reader's promises. Besides a crash or a sanitizer report, it checks that:
//   - a table read has in each row, at entry j, either 0 or j, and 0 at
//     entry 0, as a LinkTable must;
//   - writeTableText writes it in at most 8 lines of at most "k:" and 8
//     kinds each, and readTableText reads what it wrote back as the same
//     table; writing that again gives the same bytes (the normal form);
//   - a refusal names a line and a column inside the text, or just past
//     its end (where a row was still due), and says what was expected in
//     printable ASCII, beginning "expected ".
// It keeps no second parser of the format: it looks only at the table, the
// text written and the place named.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "console.h"
#include "link_table.h"
#include "table_file.h"

namespace {

using combo::LinkTable;

void require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "table_fuzz: %s\n", what);
  std::abort();
}

// The most that writeTableText writes: 8 lines of "k:", 8 times " j", and
// a line break.
constexpr std::size_t kMostWritten = 8 * (2 + 8 * 2 + 1);

combo::Console console;  // 128 KiB of buffers: static, as in the programs
char written[kMostWritten + 1];
char writtenAgain[kMostWritten + 1];

// Writes table in the format into out; returns the number of bytes.
std::size_t writeTable(const LinkTable& table, char* out) {
  console = combo::Console{};
  combo::openMemoryConsole(&console, nullptr, 0, out, kMostWritten + 1);
  combo::writeTableText(&console, table);
  require(combo::finishOutput(&console), "a table written overflows its room");
  return console.memoryLength;
}

bool sameTable(const LinkTable& a, const LinkTable& b) {
  for (int32_t k = 0; k < combo::kMoveKinds; ++k) {
    for (int32_t j = 0; j < combo::kRowEntries; ++j) {
      if (a.rows[k].entries[j] != b.rows[k].entries[j]) return false;
    }
  }
  return true;
}

void checkTable(const LinkTable& table) {
  for (int32_t k = 0; k < combo::kMoveKinds; ++k) {
    require(table.rows[k].entries[0] == 0, "entry 0 of a row is not 0");
    for (int32_t j = 1; j < combo::kRowEntries; ++j) {
      int32_t entry = table.rows[k].entries[j];
      require(entry == 0 || entry == j, "an entry is neither 0 nor its kind");
    }
  }
  std::size_t length = writeTable(table, written);
  LinkTable again;
  combo::TableTextError error;
  require(combo::readTableText(written, length, &again, &error),
          "the text written is refused");
  require(sameTable(table, again), "the text written reads as another table");
  std::size_t lengthAgain = writeTable(again, writtenAgain);
  require(lengthAgain == length, "written again, the text differs in length");
  for (std::size_t i = 0; i < length; ++i) {
    require(written[i] == writtenAgain[i], "written again, the text differs");
  }
}

// The place error names is a byte of text[0..size), or the end of text.
void checkRefusal(const char* text, std::size_t size,
                  const combo::TableTextError& error) {
  require(error.line >= 1 && error.column >= 1, "a place before the text");
  std::size_t at = 0;
  for (int32_t line = 1; line < error.line; ++line) {
    while (at < size && text[at] != '\n') ++at;
    require(at < size, "a line past the end of the text");
    ++at;  // past the line break
  }
  std::size_t lineEnd = at;
  while (lineEnd < size && text[lineEnd] != '\n') ++lineEnd;
  require(static_cast<std::size_t>(error.column) - 1 <= lineEnd - at,
          "a column past the end of its line");
  const char* expected = error.expected;
  const char kExpected[] = "expected ";
  for (std::size_t i = 0; i + 1 < sizeof kExpected; ++i) {
    require(expected[i] == kExpected[i], "a refusal not saying \"expected\"");
  }
  std::size_t n = 0;
  for (; n < sizeof error.expected && expected[n] != '\0'; ++n) {
    require(expected[n] >= 0x20 && expected[n] < 0x7f,
            "a refusal not in printable ASCII");
  }
  require(n < sizeof error.expected, "a refusal without its NUL");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  LinkTable table;
  combo::TableTextError error;
  if (combo::readTableText(text, size, &table, &error)) {
    checkTable(table);
  } else {
    checkRefusal(text, size, error);
  }
  return 0;
}
