// The table lab's exports (see lab_web.h): the atlas of the table being
// edited, the exact count unit by unit, and the table file.
//
// The page works the atlas out in short steps, each its own task, so that
// it stays answering: webLabStart (cheap), then webLabRow for each row
// (the exact lengths and the bounds of one starter), then the exact count:
// webLabUnit for each unit, in the page itself for a small job or in Web
// Workers, each with an engine of its own that started the same table, and
// webLabAdd for each result in the page's engine, then webLabFinish. What
// the page draws comes in one plain struct (WebLab), read as engine.js
// reads WebSnapshot.

#include "lab_web.h"

#include <emscripten.h>

#include <cstddef>
#include <cstdint>

#include "big_count.h"
#include "console.h"
#include "count_bounds.h"
#include "exact_count.h"
#include "table_atlas.h"
#include "table_file.h"

#define COMBO_WEB_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE

namespace combo {

// A decimal count and its NUL, with room to keep the struct aligned.
constexpr int32_t kWebCountText = 80;
static_assert(kWebCountText >= kBigCountTextSize, "a count fits");

// The figures of one starter of the table (TableRow), as the page draws
// them. Lengths are exact where low == high, proven ranges otherwise.
struct WebLabRow {
  int32_t first;  // the starter
  int32_t shortestLow;
  int32_t shortestHigh;
  int32_t longestLow;
  int32_t longestHigh;
  int32_t example[kMaxAtlasMoves];  // the first longest: [0..longestLow)
  double estimate;                  // of the count
  char atLeast[kWebCountText];      // a proven lower bound on the count
  char combos[kWebCountText];       // the exact count, "" until known
};

// The atlas of the table being edited, as far as it is known.
struct WebLab {
  int32_t size;  // sizeof (WebLab)
  int32_t rowCount;
  int32_t rowsDone;     // rows whose lengths and bounds are known
  int32_t countsKnown;  // 1 once webLabFinish has run
  int32_t unitCount;    // the units of the exact count
  double pointCount;    // and their evaluation points: the work
  WebLabRow rows[kMoveKinds];
};

// A table file read or written (webReadTable, webWriteTable).
struct WebTableText {
  int32_t size;  // sizeof (WebTableText)
  char* text;    // the file's bytes
  int32_t textRoom;
  char* name;  // the file's name, for a refusal
  int32_t nameRoom;
  const char* message;  // why the last read refused the file
  uint32_t low;         // the table it read (tableOfBits)
  uint32_t high;
};

namespace {

// A hint's count is estimated from this many random combos, a tenth of
// the atlas's: its spread is then about a third of the count (the atlas's
// a tenth), enough to compare follow-ups, and each answer's hints take
// tens of milliseconds, not a tenth of a second.
constexpr int32_t kHintWalks = kBoundWalks / 10;

TableAtlas gLab;
ExactCountJob gJob;
CountSums gSums;
CountWorkspace gCountWork;
BoundsWorkspace gBounds;
WebLab gWebLab;

// One past the most a table file may hold, so that a longer one is refused
// as readTableFile refuses it, at the first byte past the limit.
char gTableText[kMaxTableFileSize + 1];
char gTableName[256];
char gTableMessage[512];
Console gTableConsole;
WebTableText gWebTableText;

// The figures of row r of gLab into gWebLab.
void showLabRow(int32_t r) {
  const TableRow& row = gLab.rows[r];
  WebLabRow& out = gWebLab.rows[r];
  out.first = row.first;
  out.shortestLow = row.shortest.low;
  out.shortestHigh = row.shortest.high;
  out.longestLow = row.longest.low;
  out.longestHigh = row.longest.high;
  for (int32_t i = 0; i < row.longest.low; ++i) out.example[i] = row.example[i];
  out.estimate = row.combosEstimate;
  formatBigCount(row.combosAtLeast, out.atLeast);
  out.combos[0] = '\0';
  if (gLab.countsKnown) formatBigCount(row.combos, out.combos);
}

// The row of atlas whose example is the first of the longest: the first
// with the greatest longest.low, or -1 if it has none.
int32_t firstLongestTableRow(const TableAtlas& atlas) {
  int32_t best = -1;
  for (int32_t r = 0; r < atlas.rowCount; ++r) {
    if (best < 0 || atlas.rows[r].longest.low > atlas.rows[best].longest.low) {
      best = r;
    }
  }
  return best;
}

}  // namespace

LinkTable tableOfBits(uint32_t low, uint32_t high) {
  uint64_t bits = (uint64_t{high} << 32) | low;
  LinkTable table{};
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      int32_t bit = (k - 1) * kMoveKinds + (j - 1);
      table.rows[k - 1].entries[j] = ((bits >> bit) & 1) != 0 ? j : 0;
    }
  }
  return table;
}

uint64_t bitsOfTable(const LinkTable& table) {
  uint64_t bits = 0;
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      if (isLinkOpen(table, k, j)) {
        bits |= uint64_t{1} << ((k - 1) * kMoveKinds + (j - 1));
      }
    }
  }
  return bits;
}

bool followUpsByBounds(const LinkTable& table, const int32_t* moves,
                       int32_t count, FollowUpSummaries* out,
                       double* estimates) {
  static TableAtlas atlas;
  out->count = 0;
  if (!startTableAtlas(&atlas, table, moves, count)) return false;
  findTableLengths(&atlas);
  for (int32_t r = 0; r < atlas.rowCount; ++r) {
    const TableRow& row = atlas.rows[r];
    FollowUpSummary& summary = out->rows[r];
    // The combos that go on with row.first: those from the starter
    // row.first on the table left open, less the link just taken.
    LinkTable rest = atlas.open;
    closeLink(&rest, moves[count - 1], row.first);
    estimates[r] =
        estimateCombos(rest, row.first, kHintWalks, kBoundSeed, &gBounds)
            .estimate;
    summary.next = row.first;
    summary.combos = 0;
    summary.shortest = row.shortest.low;
    summary.longest = row.longest.low;
    summary.exampleLength = row.longest.low - count;
    for (int32_t i = 0; i < summary.exampleLength; ++i) {
      summary.example[i] = row.example[count + i];
    }
  }
  out->count = atlas.rowCount;
  return true;
}

StarterSummary starterByBounds(const LinkTable& table, int32_t starter,
                               double* estimate) {
  static TableAtlas atlas;
  StarterSummary summary{};
  startTableAtlas(&atlas, table, &starter, starter == 0 ? 0 : 1);
  findTableLengths(&atlas);
  // The estimates cost as much as the lengths: only where they are asked.
  if (estimate != nullptr) estimateTableCounts(&atlas, &gBounds);
  int32_t best = firstLongestTableRow(atlas);
  // A starter that nothing follows is one combo of one move.
  summary.starter = starter;
  summary.shortest = 1;
  summary.longest = 1;
  summary.example[0] = starter;
  if (estimate != nullptr) *estimate = 1;
  if (best < 0) return summary;
  const TableRow& row = atlas.rows[best];
  summary.starter = row.example[0];
  summary.longest = row.longest.low;
  for (int32_t i = 0; i < row.longest.low; ++i)
    summary.example[i] = row.example[i];
  if (starter == 0) return summary;
  if (estimate != nullptr) *estimate = 0;
  summary.shortest = atlas.rows[0].shortest.low;
  for (int32_t r = 0; r < atlas.rowCount; ++r) {
    if (estimate != nullptr) *estimate += atlas.rows[r].combosEstimate;
    if (atlas.rows[r].shortest.low < summary.shortest) {
      summary.shortest = atlas.rows[r].shortest.low;
    }
  }
  return summary;
}

bool starterFromLab(const LinkTable& table, int32_t starter,
                    StarterSummary* out) {
  if (gLab.moveCount != 0 || gWebLab.rowsDone < gLab.rowCount ||
      bitsOfTable(gLab.table) != bitsOfTable(table)) {
    return false;
  }
  // The atlas of starters has the row of starter s at s - 1.
  const TableRow& row =
      gLab.rows[starter == 0 ? firstLongestTableRow(gLab) : starter - 1];
  *out = StarterSummary{};
  out->starter = row.first;
  out->shortest = row.shortest.low;
  out->longest = row.longest.low;
  for (int32_t i = 0; i < row.longest.low; ++i)
    out->example[i] = row.example[i];
  return true;
}

}  // namespace combo

using namespace combo;

// --- the atlas of the table ------------------------------------------------

// Starts the atlas of starters of the table with the links low and high
// (tableOfBits) and plans its exact count; nothing is worked out yet.
// Returns the address of its figures (WebLab), which the calls below fill.
COMBO_WEB_EXPORT const WebLab* webLabStart(uint32_t low, uint32_t high) {
  startTableAtlas(&gLab, tableOfBits(low, high), nullptr, 0);
  planTableCounts(gLab, &gJob);
  gSums = CountSums{};
  gWebLab = WebLab{};
  gWebLab.size = sizeof gWebLab;
  gWebLab.rowCount = gLab.rowCount;
  gWebLab.unitCount = static_cast<int32_t>(gJob.unitCount);
  gWebLab.pointCount = static_cast<double>(gJob.pointCount);
  return &gWebLab;
}

// Works out the exact lengths, the first longest and the bounds on the
// count of row r; once every row is done, the atlas notes them known.
// REQUIRES: webLabStart; 0 <= r < rowCount, each row once.
COMBO_WEB_EXPORT void webLabRow(int r) {
  findTableRowLengths(&gLab, r);
  estimateTableRow(&gLab, r, &gBounds);
  showLabRow(r);
  if (++gWebLab.rowsDone == gLab.rowCount) {
    noteTableLengths(&gLab);
    noteTableBounds(&gLab);
  }
}

// Evaluates unit of the exact count and returns its residue, an unsigned
// 32-bit number (read it with >>> 0): for webLabAdd, in this engine or in
// the page's.
// REQUIRES: webLabStart on the table the page counts; 0 <= unit < unitCount.
COMBO_WEB_EXPORT uint32_t webLabUnit(int unit) {
  return evaluateCountUnit(gJob, unit, &gCountWork);
}

// Adds the residue of unit, as webLabUnit returned it. Each unit once.
COMBO_WEB_EXPORT void webLabAdd(int unit, uint32_t residue) {
  addCountUnit(gJob, unit, residue, &gSums);
}

// Forgets the units added so far: the exact count starts again.
COMBO_WEB_EXPORT void webLabRecount() { gSums = CountSums{}; }

// Joins the counts once every unit has been added, and shows them.
COMBO_WEB_EXPORT void webLabFinish() {
  BigCount counts[kMoveKinds];
  for (int32_t r = 0; r < gLab.rowCount; ++r) {
    counts[r] = finishCount(gJob, gSums, r);
  }
  setTableCounts(&gLab, counts);
  gWebLab.countsKnown = 1;
  for (int32_t r = 0; r < gLab.rowCount; ++r) {
    formatBigCount(gLab.rows[r].combos, gWebLab.rows[r].combos);
  }
}

// --- the table file ------------------------------------------------------

// Where a table file's bytes and name go (WebTableText).
COMBO_WEB_EXPORT const WebTableText* webTableText() {
  gWebTableText.size = sizeof gWebTableText;
  gWebTableText.text = gTableText;
  gWebTableText.textRoom = static_cast<int32_t>(sizeof gTableText);
  gWebTableText.name = gTableName;
  gWebTableText.nameRoom = static_cast<int32_t>(sizeof gTableName - 1);
  gWebTableText.message = gTableMessage;
  return &gWebTableText;
}

// Writes the table with the links low and high at WebTableText::text, as
// combo-atlas --print-table writes a table, and returns its length.
COMBO_WEB_EXPORT int webWriteTable(uint32_t low, uint32_t high) {
  openMemoryConsole(&gTableConsole, nullptr, 0, gTableText, sizeof gTableText);
  writeTableText(&gTableConsole, tableOfBits(low, high));
  finishOutput(&gTableConsole);
  return static_cast<int>(gTableConsole.memoryLength);
}

// Reads the length bytes at WebTableText::text as a table file named by the
// nameLength bytes at WebTableText::name. Returns 1 and sets low and high
// to its links, or returns 0 and sets message to the line combo-atlas
// --table would write for it.
// REQUIRES: 0 <= nameLength <= nameRoom; 0 <= length <= textRoom.
COMBO_WEB_EXPORT int webReadTable(int nameLength, int length) {
  gTableName[nameLength] = '\0';
  LinkTable table{};
  gTableMessage[0] = '\0';
  if (!readNamedTableText(gTableName, gTableText,
                          static_cast<std::size_t>(length), &table,
                          gTableMessage, sizeof gTableMessage)) {
    return 0;
  }
  uint64_t bits = bitsOfTable(table);
  gWebTableText.low = static_cast<uint32_t>(bits);
  gWebTableText.high = static_cast<uint32_t>(bits >> 32);
  return 1;
}
