// A link table as a person writes it: a text file that says, for each move
// kind, which kinds may follow it. combo and combo-atlas read it
// (--table FILE), and combo-atlas --print-table writes the game's table in
// it, so that tables pass between the console programs, the web edition
// and other tools.
//
// The format:
//   # links of my game (a comment; blank lines are ignored)
//   1: 2 3 4 6 7
//   2: 1 2 3 5 6
//   ...
//   8: 6 7
// Exactly eight rows, "1:" to "8:" in this order, each row on a line of its
// own. After the colon come the kinds that may follow that kind, 1 to 8,
// separated by spaces or tabs, in any order, each at most once; a row may
// be empty. A '#' begins a comment that runs to the end of the line, on a
// line of its own or after a row. Lines end with LF or CR LF. Comments may
// hold any text, UTF-8 or Shift_JIS included; elsewhere only ASCII is
// expected. A byte that is not text (a control byte other than tab, LF and
// CR) is refused wherever it stands.
//
// A table that breaks any of this is refused, with the line and column
// (1-based, counted in bytes) where reading stopped and what was expected
// there; its first error is the one reported.

#ifndef COMBO_TABLE_FILE_H_
#define COMBO_TABLE_FILE_H_

#include <cstddef>
#include <cstdint>

#include "console.h"
#include "link_table.h"

namespace combo {

// A table file may hold at most this many bytes.
inline constexpr std::size_t kMaxTableFileSize = 64 * 1024;

// Where and why a table was refused.
struct TableTextError {
  int32_t line;       // 1-based
  int32_t column;     // 1-based, in bytes
  char expected[80];  // "expected ...", printable ASCII, NUL-terminated
};

// Reads the table text text[0..length) into *table: entry j of row k is j
// for each kind j listed in row k, 0 otherwise. Returns true on success;
// otherwise returns false, sets *error to the first fault, and leaves
// *table unchanged. A text longer than kMaxTableFileSize is refused at the
// first byte past the limit.
bool readTableText(const char* text, std::size_t length, LinkTable* table,
                   TableTextError* error);

// Writes the open links of table in the format above, one line per row,
// each row's kinds in ascending order separated by one space ("1: 2 3 4 6
// 7", an empty row "7:"), every line ending with "\n". readTableText reads
// it back as the same table.
void writeTableText(Console* console, const LinkTable& table);

// Reads the table text text[0..length) of a file named name into *table, as
// readTableText does. Returns true on success; otherwise false with the
// line for standard error in message: "NAME:LINE:COLUMN: expected ...\n",
// the name quoted as readTableFile quotes a path, *table unchanged. For a
// table that comes from elsewhere than a path: the web edition's upload.
bool readNamedTableText(const char* name, const char* text, std::size_t length,
                        LinkTable* table, char* message, std::size_t capacity);

// Reads the table file at path into *table, through a buffer of
// kMaxTableFileSize + 1 bytes in static storage (no allocation). Returns
// true on success; otherwise false with the line for standard error in
// message: "PATH:LINE:COLUMN: expected ...\n" (a file that cannot be opened
// or read is refused at 1:1, with the system's reason), *table unchanged.
// The path is quoted as given, its bytes outside printable ASCII shown as
// '?', and cut short after 200 bytes.
bool readTableFile(const char* path, LinkTable* table, char* message,
                   std::size_t capacity);

}  // namespace combo

#endif  // COMBO_TABLE_FILE_H_
