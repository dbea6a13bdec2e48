#include "table_file.h"

#include <cstdio>
#include <cstring>

namespace combo {
namespace {

// Where reading stands in a table text: the next byte, and its line and
// column for an error.
struct Reader {
  const char* at;
  const char* end;
  int32_t line;
  int32_t column;
};

// Text written into a buffer, cut short where it is full.
struct Appender {
  char* at;
  char* end;  // where the NUL goes at the latest
};

void append(Appender* out, const char* text) {
  while (*text != '\0' && out->at < out->end) *out->at++ = *text++;
}

void appendNumber(Appender* out, int32_t number) {
  char digits[12];
  char* first = digits + sizeof digits - 1;
  *first = '\0';
  do {
    *--first = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number > 0);
  append(out, first);
}

// Two hexadecimal digits, as "%02X" writes them.
void appendHexByte(Appender* out, unsigned char byte) {
  const char digits[] = "0123456789ABCDEF";
  const char text[] = {digits[byte >> 4], digits[byte & 15], '\0'};
  append(out, text);
}

// Texts are written by hand rather than by snprintf, which would be most of
// the web edition's engine.

bool atEnd(const Reader& r) { return r.at == r.end; }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Control bytes other than tab, LF and CR are not text; bytes from 0x80 up
// are (UTF-8 or Shift_JIS in a comment).
bool isText(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u == '\t' || u == '\n' || u == '\r' || (u >= 0x20 && u != 0x7f);
}

void advance(Reader* r) {
  if (*r->at == '\n') {
    ++r->line;
    r->column = 1;
  } else {
    ++r->column;
  }
  ++r->at;
}

void skipBlanks(Reader* r) {
  while (!atEnd(*r) && isBlank(*r->at)) advance(r);
}

// True at the end of a line's content: its end, the end of the text, or a
// comment.
bool atLineEnd(const Reader& r) {
  return atEnd(r) || *r.at == '\n' || *r.at == '#';
}

// Moves past the rest of the line, a comment included, and its line end.
void skipRestOfLine(Reader* r) {
  while (!atEnd(*r) && *r->at != '\n') advance(r);
  if (!atEnd(*r)) advance(r);
}

// Sets *error to what was expected where r stands; returns false.
bool fail(const Reader& r, TableTextError* error, const char* expected) {
  error->line = r.line;
  error->column = r.column;
  Appender out{error->expected, error->expected + sizeof error->expected - 1};
  append(&out, expected);
  *out.at = '\0';
  return false;
}

// The same for the row due next, k: "expected row 3, beginning "3:"".
bool failForRow(const Reader& r, TableTextError* error, int32_t k) {
  char expected[sizeof error->expected];
  Appender out{expected, expected + sizeof expected - 1};
  append(&out, "expected row ");
  appendNumber(&out, k);
  append(&out, ", beginning \"");
  appendNumber(&out, k);
  append(&out, ":\"");
  *out.at = '\0';
  return fail(r, error, expected);
}

// The first byte that is not text, if any: refused before anything else,
// wherever it stands.
bool checkText(const char* text, std::size_t length, TableTextError* error) {
  Reader r = {text, text + length, 1, 1};
  while (!atEnd(r)) {
    if (!isText(*r.at)) {
      char expected[sizeof error->expected];
      Appender out{expected, expected + sizeof expected - 1};
      append(&out, "expected text, not the byte 0x");
      appendHexByte(&out, static_cast<unsigned char>(*r.at));
      *out.at = '\0';
      return fail(r, error, expected);
    }
    advance(&r);
  }
  return true;
}

// Reads the kinds listed after "k:" up to the end of the line's content.
bool readRow(Reader* r, LinkRow* row, TableTextError* error) {
  for (;;) {
    skipBlanks(r);
    if (atLineEnd(*r)) return true;
    const char* word = r->at;
    Reader start = *r;
    while (!atLineEnd(*r) && !isBlank(*r->at)) advance(r);
    if (r->at - word != 1 || !isMoveKind(*word - '0')) {
      return fail(start, error, "expected a move kind from 1 to 8");
    }
    int32_t j = *word - '0';
    if (row->entries[j] != 0) {
      char expected[sizeof error->expected];
      Appender out{expected, expected + sizeof expected - 1};
      append(&out, "expected each kind once in a row: ");
      appendNumber(&out, j);
      append(&out, " is listed twice");
      *out.at = '\0';
      return fail(start, error, expected);
    }
    row->entries[j] = j;
  }
}

// Reads the label "k:" of the row due next.
bool readLabel(Reader* r, int32_t k, TableTextError* error) {
  if (*r->at != '0' + k) {
    return failForRow(*r, error, k);
  }
  advance(r);
  if (atEnd(*r) || *r->at != ':') {
    return fail(*r, error, "expected \":\" after the row's kind");
  }
  advance(r);
  return true;
}

}  // namespace

bool readTableText(const char* text, std::size_t length, LinkTable* table,
                   TableTextError* error) {
  if (length > kMaxTableFileSize) {
    Reader r = {text, text + kMaxTableFileSize, 1, 1};
    while (!atEnd(r)) advance(&r);
    return fail(r, error, "expected at most 65536 bytes in a table file");
  }
  static_assert(kMaxTableFileSize == 65536, "the message names the limit");
  if (!checkText(text, length, error)) return false;
  LinkTable read = {};
  Reader r = {text, text + length, 1, 1};
  int32_t k = kFirstMove;
  while (!atEnd(r)) {
    skipBlanks(&r);
    if (atLineEnd(r)) {
      skipRestOfLine(&r);
      continue;
    }
    if (k > kLastMove) {
      return fail(r, error, "expected the end of the table after row 8");
    }
    if (!readLabel(&r, k, error) || !readRow(&r, &read.rows[k - 1], error)) {
      return false;
    }
    skipRestOfLine(&r);
    ++k;
  }
  if (k <= kLastMove) {
    return failForRow(r, error, k);
  }
  *table = read;
  return true;
}

void writeTableText(Console* console, const LinkTable& table) {
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    writeNumber(console, k);
    writeText(console, ":");
    FollowUps next = openFollowUps(table, k);
    for (int32_t i = 0; i < next.count; ++i) {
      writeText(console, " ");
      writeNumber(console, next.moves[i]);
    }
    writeText(console, "\n");
  }
}

namespace {

// A path or a name as an error line shows it: printable ASCII, and short,
// as it goes on one line.
constexpr std::size_t kShown = 200;
using ShownName = char[kShown + sizeof "..."];

}  // namespace

bool readNamedTableText(const char* name, const char* text, std::size_t length,
                        LinkTable* table, char* message, std::size_t capacity) {
  TableTextError error;
  if (readTableText(text, length, table, &error)) return true;
  // "NAME:LINE:COLUMN: expected ...\n"
  ShownName shown;
  Appender out{message, message + capacity - 1};
  append(&out, shownOnOneLine(name, kShown, shown, sizeof shown));
  append(&out, ":");
  appendNumber(&out, error.line);
  append(&out, ":");
  appendNumber(&out, error.column);
  append(&out, ": ");
  append(&out, error.expected);
  append(&out, "\n");
  *out.at = '\0';
  return false;
}

bool readTableFile(const char* path, LinkTable* table, char* message,
                   std::size_t capacity) {
  static char text[kMaxTableFileSize + 1];
  int failure = 0;
  long length = readFileStart(path, text, sizeof text, &failure);
  if (length < 0) {
    ShownName shown;
    shownOnOneLine(path, kShown, shown, sizeof shown);
    std::snprintf(message, capacity,
                  "%s:1:1: expected a table file that can be read: %s\n", shown,
                  std::strerror(failure));
    return false;
  }
  return readNamedTableText(path, text, static_cast<std::size_t>(length), table,
                            message, capacity);
}

}  // namespace combo
