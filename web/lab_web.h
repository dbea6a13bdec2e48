// The table lab's side of the engine: the atlas of any table of the eight
// move kinds, worked out in steps short enough for a page (one row at a
// time, one unit of the exact count at a time), and the table file read
// and written as combo-atlas --table reads and --print-table writes it.
// web/lab_web.cpp holds its exports; the dialogue's side (combo_web.cpp)
// asks it for figures where the memo of states gives up on a dense table.
//
// A table travels between the page and the engine as 64 bits in two 32-bit
// halves: bit (k - 1) * 8 + (j - 1) set for a link from move k to move j,
// the low half holding rows 1 to 4.

#ifndef COMBO_WEB_LAB_WEB_H_
#define COMBO_WEB_LAB_WEB_H_

#include <cstdint>

#include "atlas_search.h"
#include "link_table.h"
#include "table_atlas.h"

namespace combo {

// The table whose links are the bits low (rows 1 to 4) and high (rows 5
// to 8).
LinkTable tableOfBits(uint32_t low, uint32_t high);
// The bits of table, low half first, as tableOfBits reads them.
uint64_t bitsOfTable(const LinkTable& table);

// The figures for the moves that can follow the combo moves[0..count) on
// table, as the memo gives them but from the engines that take any table:
// exact lengths (or the longest found, where branch and bound ran out of
// budget), and for the counts an estimate, estimates[i] for out->rows[i]
// (a count may pass 2^64: out->rows[i].combos is 0). The moves before the
// point number count. Returns false, with out->count 0, if the combo cannot
// be played on table.
// REQUIRES: 1 <= count <= kMaxComboMoves; estimates has room for 8.
bool followUpsByBounds(const LinkTable& table, const int32_t* moves,
                       int32_t count, FollowUpSummaries* out,
                       double* estimates);

// The first of the longest combos on table from starter, or of all the
// longest when starter is 0, with its lengths by branch and bound, and,
// unless estimate is null, in *estimate the estimated count of the combos
// from starter (1 for 0). Its combos field is 0.
StarterSummary starterByBounds(const LinkTable& table, int32_t starter,
                               double* estimate);

// The first of the longest combos on table from starter, or of all the
// longest when starter is 0, from the lab's atlas of starters, without
// working anything out: returns false where that atlas is not of table, or
// not every row of it is known yet (webLabRow). Its combos field is 0.
bool starterFromLab(const LinkTable& table, int32_t starter,
                    StarterSummary* out);

}  // namespace combo

#endif  // COMBO_WEB_LAB_WEB_H_
