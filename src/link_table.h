// The game data every combo is built on: the eight move kinds, the two menu
// lines that present them, and the link table that says which move kind may
// follow which, and which of those links are still open in the current combo.
//
// A move kind is named by its move number, 1 to 8: air moves are 1 to 4,
// ground moves 5 to 8, and within each group the hit reactions come in the
// order float, spin, knockback, bounce. 0 names no move and is never a
// follow-up.
//
// Every link may be used once per combo: using it closes it, and only
// resetLinks opens it again. Links are directed (the link from 1 to 2 and the
// link from 2 to 1 are separate), and rows 2 and 6 hold a self-link each.

#ifndef COMBO_LINK_TABLE_H_
#define COMBO_LINK_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace combo {

inline constexpr int32_t kFirstMove = 1;
inline constexpr int32_t kLastMove = 8;
inline constexpr int32_t kMoveKinds = kLastMove;       // rows in a LinkTable
inline constexpr int32_t kRowEntries = kLastMove + 1;  // entries 0..8 a row
// The most links a table can hold: every move kind to every move kind, itself
// included. The game's table holds 31; a table read from a file, any number.
inline constexpr int32_t kMaxLinks = kMoveKinds * kMoveKinds;

// Returns true iff number names a move kind, 1 to 8. Every part of the
// program that asks whether a number is a move asks this.
constexpr bool isMoveKind(int32_t number) {
  return number >= kFirstMove && number <= kLastMove;
}

// Returns how many bits of bits are set: how many links a set of links
// (one bit per link, as the atlas and the counts keep them) holds, or how
// many moves a set of moves. C++17 has no std::popcount; this adds
// neighbouring fields, in constant time.
constexpr int32_t countBits(uint64_t bits) {
  bits -= (bits >> 1) & 0x5555555555555555u;
  bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
  bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int32_t>((bits * 0x0101010101010101u) >> 56);
}

// The menu of move kinds, as two constant lines of Shift_JIS text without a
// line break: the air group, then the ground group. Each entry is the number,
// an ASCII comma and the menu name; entries are separated by one space.
//
// "1,空中浮き 2,空中きりもみ 3,空中ふっとばし 4,空中バウンド"
inline constexpr char kMenuLine1[] =
    "1,\x8b\xf3\x92\x86\x95\x82\x82\xab 2,\x8b\xf3\x92\x86\x82\xab\x82\xe8"
    "\x82\xe0\x82\xdd 3,\x8b\xf3\x92\x86\x82\xd3\x82\xc1\x82\xc6\x82\xce\x82"
    "\xb5 4,\x8b\xf3\x92\x86\x83\x6f\x83\x45\x83\x93\x83\x68";
// "5,地上浮き 6,地上きりもみ 7,地上ふっとばし 8,地上バウンド"
inline constexpr char kMenuLine2[] =
    "5,\x92\x6e\x8f\xe3\x95\x82\x82\xab 6,\x92\x6e\x8f\xe3\x82\xab\x82\xe8"
    "\x82\xe0\x82\xdd 7,\x92\x6e\x8f\xe3\x82\xd3\x82\xc1\x82\xc6\x82\xce\x82"
    "\xb5 8,\x92\x6e\x8f\xe3\x83\x6f\x83\x45\x83\x93\x83\x68";
// What the menu lines say in English: the numbers and glosses of kMoveNames.
inline constexpr char kMenuLine1InEnglish[] =
    "1 air float, 2 air spin, 3 air knockback, 4 air bounce";
inline constexpr char kMenuLine2InEnglish[] =
    "5 ground float, 6 ground spin, 7 ground knockback, 8 ground bounce";
static_assert(sizeof kMenuLine1 - 1 == 57, "menu line 1 is 57 bytes");
static_assert(sizeof kMenuLine2 - 1 == 57, "menu line 2 is 57 bytes");

// What a move kind is called: its menu name, as in the menu lines, in
// Shift_JIS, and a short English gloss in ASCII. The program itself writes
// only the menu lines; charts and buttons drawn from the engine, such as
// the README's link chart, take the names from here.
struct MoveName {
  const char* menuName;  // Shift_JIS, as in the menu lines
  const char* gloss;     // ASCII
};

// The names of the move kinds; the name of move k is kMoveNames[k - 1]. A
// test checks that the menu lines hold the same names in the same order.
inline constexpr MoveName kMoveNames[] = {
    // 1 空中浮き
    {"\x8b\xf3\x92\x86\x95\x82\x82\xab", "air float"},
    // 2 空中きりもみ
    {"\x8b\xf3\x92\x86\x82\xab\x82\xe8\x82\xe0\x82\xdd", "air spin"},
    // 3 空中ふっとばし
    {"\x8b\xf3\x92\x86\x82\xd3\x82\xc1\x82\xc6\x82\xce\x82\xb5",
     "air knockback"},
    // 4 空中バウンド
    {"\x8b\xf3\x92\x86\x83\x6f\x83\x45\x83\x93\x83\x68", "air bounce"},
    // 5 地上浮き
    {"\x92\x6e\x8f\xe3\x95\x82\x82\xab", "ground float"},
    // 6 地上きりもみ
    {"\x92\x6e\x8f\xe3\x82\xab\x82\xe8\x82\xe0\x82\xdd", "ground spin"},
    // 7 地上ふっとばし
    {"\x92\x6e\x8f\xe3\x82\xd3\x82\xc1\x82\xc6\x82\xce\x82\xb5",
     "ground knockback"},
    // 8 地上バウンド
    {"\x92\x6e\x8f\xe3\x83\x6f\x83\x45\x83\x93\x83\x68", "ground bounce"},
};
static_assert(std::size(kMoveNames) == static_cast<std::size_t>(kMoveKinds),
              "one name for each move kind");

// The two groups of move kinds, air (moves 1 to 4) and ground (5 to 8),
// each with the four hit reactions in the same order: move k is reaction
// (k - 1) % kMovesPerGroup of group (k - 1) / kMovesPerGroup. Pictures that
// place the moves by group and reaction (the web edition's) take them from
// here. A test checks that each move's name and gloss begin with its
// group's.
inline constexpr int32_t kMovesPerGroup = 4;
struct MoveGroup {
  const char* name;   // Shift_JIS
  const char* gloss;  // ASCII
};
inline constexpr MoveGroup kMoveGroups[] = {
    {"\x8b\xf3\x92\x86", "air"},     // 空中
    {"\x92\x6e\x8f\xe3", "ground"},  // 地上
};
static_assert(std::size(kMoveGroups) * kMovesPerGroup ==
                  static_cast<std::size_t>(kMoveKinds),
              "every move kind in one group");

// What the number 0 stands for where moves are offered: no move.
inline constexpr char kNoMoveGloss[] = "no move";

// The links leaving one move kind, indexed 0 to 8 by the following move's
// number. Entry j holds j while the link to j is open, and 0 when it is
// closed or never existed; entry 0 is always 0.
struct LinkRow {
  int32_t entries[kRowEntries];
};

// One LinkRow for each move kind; the row of move k is rows[k - 1].
struct LinkTable {
  LinkRow rows[kMoveKinds];
};

// The move numbers that may follow a move, in ascending order.
struct FollowUps {
  int32_t moves[kMoveKinds];
  int32_t count;  // 0 to 8
};

// The content every combo starts from: 31 open links.
//   row k:      entry 0  1  2  3  4  5  6  7  8
inline constexpr LinkTable kInitialLinks = {{
    {{0, 0, 2, 3, 4, 0, 6, 7, 0}},  // 1 air float
    {{0, 1, 2, 3, 0, 5, 6, 0, 0}},  // 2 air spin
    {{0, 1, 2, 0, 0, 5, 0, 0, 0}},  // 3 air knockback
    {{0, 0, 2, 3, 0, 5, 6, 7, 8}},  // 4 air bounce
    {{0, 0, 2, 3, 4, 0, 6, 7, 8}},  // 5 ground float
    {{0, 0, 2, 0, 0, 0, 6, 7, 0}},  // 6 ground spin
    {{0, 0, 0, 0, 0, 0, 6, 0, 0}},  // 7 ground knockback
    {{0, 0, 0, 0, 0, 0, 6, 7, 0}},  // 8 ground bounce
}};

// Restores every row of *table to kInitialLinks, whatever was closed.
void resetLinks(LinkTable* table);

// Returns the open follow-ups of move k: the non-zero entries 1 to 8 of its
// row, in ascending order. The list may be empty.
// REQUIRES: 1 <= k <= 8.
FollowUps openFollowUps(const LinkTable& table, int32_t k);

// Returns true iff the link from move k to move j is open. Always false for
// j == 0.
// REQUIRES: 1 <= k <= 8 and 0 <= j <= 8.
bool isLinkOpen(const LinkTable& table, int32_t k, int32_t j);

// Closes the link from move k to move j; no other entry of any row changes.
// REQUIRES: 1 <= k <= 8, 1 <= j <= 8.
void closeLink(LinkTable* table, int32_t k, int32_t j);

}  // namespace combo

#endif  // COMBO_LINK_TABLE_H_
