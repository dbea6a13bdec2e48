#include "table_atlas.h"

namespace combo {
namespace {

// The question that row r asks, as every engine but the memo takes it: the
// complete combos from `starter` over `table`. For the atlas, the starter
// on the whole table; after a combo begun, the next move on the table
// without the combo's links and without the link to that next move.
void rowQuestion(const TableAtlas& atlas, int32_t r, LinkTable* table,
                 int32_t* starter) {
  const TableRow& row = atlas.rows[r];
  *starter = row.first;
  if (atlas.moveCount == 0) {
    *table = atlas.table;
    return;
  }
  *table = atlas.open;
  closeLink(table, atlas.moves[atlas.moveCount - 1], row.first);
}

// Copies the moves given, then more[0..count), into the example of *row.
void setExample(const TableAtlas& atlas, TableRow* row, const int32_t* more,
                int32_t count) {
  int32_t length = 0;
  for (int32_t i = 0; i < atlas.moveCount; ++i) {
    row->example[length++] = atlas.moves[i];
  }
  for (int32_t i = 0; i < count; ++i) row->example[length++] = more[i];
}

// The atlas of starters from the memo. Returns false if its budget ran out.
bool startersFromMemo(TableAtlas* atlas, AtlasSearch* search) {
  for (int32_t r = 0; r < atlas->rowCount; ++r) {
    StarterSummary summary = summarizeStarter(search, atlas->rows[r].first);
    if (search->spent) return false;
    TableRow& row = atlas->rows[r];
    row.combos = bigCountOf(summary.combos);
    row.shortest = {summary.shortest, summary.shortest};
    row.longest = {summary.longest, summary.longest};
    setExample(*atlas, &row, summary.example, summary.longest);
  }
  return true;
}

// The rows after a combo begun from the memo. Returns false if its budget
// ran out.
bool followUpsFromMemo(TableAtlas* atlas, AtlasSearch* search) {
  AtlasState state;
  int32_t at;
  // Cannot fail: startTableAtlas played the same moves on the same table.
  followMoves(*search, atlas->moves, atlas->moveCount, &state, &at);
  FollowUpSummaries summaries;  // about 2 KiB
  summarizeFollowUps(search, state, &summaries);
  if (search->spent) return false;
  for (int32_t r = 0; r < atlas->rowCount; ++r) {
    const FollowUpSummary& summary = summaries.rows[r];
    TableRow& row = atlas->rows[r];
    row.combos = bigCountOf(summary.combos);
    row.shortest = {summary.shortest, summary.shortest};
    row.longest = {summary.longest, summary.longest};
    setExample(*atlas, &row, summary.example, summary.exampleLength);
  }
  return true;
}

}  // namespace

bool startTableAtlas(TableAtlas* atlas, const LinkTable& table,
                     const int32_t* moves, int32_t count) {
  atlas->table = table;
  atlas->open = table;
  atlas->moveCount = count;
  atlas->rowCount = 0;
  atlas->lengthsKnown = false;
  atlas->countsKnown = false;
  atlas->boundsKnown = false;
  atlas->fromMemo = false;
  if (count == 0) {
    for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
      atlas->rows[atlas->rowCount++] = TableRow{k, {}, {}, {}, {}, {}, 0};
    }
    return true;
  }
  if (!isMoveKind(moves[0])) return false;
  atlas->moves[0] = moves[0];
  for (int32_t i = 1; i < count; ++i) {
    int32_t from = moves[i - 1];
    if (!isMoveKind(moves[i]) || !isLinkOpen(atlas->open, from, moves[i])) {
      return false;
    }
    closeLink(&atlas->open, from, moves[i]);
    atlas->moves[i] = moves[i];
  }
  FollowUps next = openFollowUps(atlas->open, moves[count - 1]);
  for (int32_t i = 0; i < next.count; ++i) {
    atlas->rows[atlas->rowCount++] =
        TableRow{next.moves[i], {}, {}, {}, {}, {}, 0};
  }
  return true;
}

int64_t memoStepBudget(const ExactCountJob& job) {
  int64_t budget = job.pointCount * kMemoStepsPerPoint;
  if (budget < kMinMemoSteps) return kMinMemoSteps;
  return budget < kMaxMemoSteps ? budget : kMaxMemoSteps;
}

bool atlasFromMemo(TableAtlas* atlas, AtlasSearch* search, int64_t stepBudget) {
  // Cannot fail: a LinkSet holds every link of the eight move kinds.
  startAtlasSearch(search, atlas->table);
  setAtlasStepBudget(search, stepBudget);
  bool done = atlas->moveCount == 0 ? startersFromMemo(atlas, search)
                                    : followUpsFromMemo(atlas, search);
  if (!done) return false;
  atlas->lengthsKnown = true;
  atlas->fromMemo = true;
  // A count the memo kept at its limit is only "at least that many".
  BigCount limit = bigCountOf(kAtlasCountLimit);
  atlas->countsKnown = true;
  for (int32_t r = 0; r < atlas->rowCount; ++r) {
    if (atlas->rows[r].combos == limit) atlas->countsKnown = false;
  }
  return true;
}

void findTableRowLengths(TableAtlas* atlas, int32_t r) {
  LinkTable table;
  int32_t starter;
  rowQuestion(*atlas, r, &table, &starter);
  LongestCombo longest = findLongestCombo(table, starter);
  ShortestCombo shortest = findShortestCombo(table, starter);
  TableRow& row = atlas->rows[r];
  int32_t before = atlas->moveCount;
  row.longest = {before + longest.length.low, before + longest.length.high};
  row.shortest = {before + shortest.length.low, before + shortest.length.high};
  setExample(*atlas, &row, longest.moves, longest.length.low);
}

void noteTableLengths(TableAtlas* atlas) { atlas->lengthsKnown = true; }

void findTableLengths(TableAtlas* atlas) {
  for (int32_t r = 0; r < atlas->rowCount; ++r) findTableRowLengths(atlas, r);
  noteTableLengths(atlas);
}

void planTableCounts(const TableAtlas& atlas, ExactCountJob* job) {
  if (atlas.moveCount == 0) {
    planStarterCounts(atlas.table, job);
  } else {
    planFollowUpCounts(atlas.open, atlas.moves[atlas.moveCount - 1], job);
  }
}

void setTableCounts(TableAtlas* atlas, const BigCount* counts) {
  for (int32_t r = 0; r < atlas->rowCount; ++r) {
    atlas->rows[r].combos = counts[r];
  }
  atlas->countsKnown = true;
}

void estimateTableRow(TableAtlas* atlas, int32_t r,
                      BoundsWorkspace* workspace) {
  LinkTable table;
  int32_t starter;
  rowQuestion(*atlas, r, &table, &starter);
  ComboBounds bounds =
      estimateCombos(table, starter, kBoundWalks, kBoundSeed, workspace);
  atlas->rows[r].combosAtLeast = bounds.lowerBound;
  atlas->rows[r].combosEstimate = bounds.estimate;
}

void noteTableBounds(TableAtlas* atlas) { atlas->boundsKnown = true; }

void estimateTableCounts(TableAtlas* atlas, BoundsWorkspace* workspace) {
  for (int32_t r = 0; r < atlas->rowCount; ++r) {
    estimateTableRow(atlas, r, workspace);
  }
  noteTableBounds(atlas);
}

void figureTableAtlas(TableAtlas* atlas, AtlasSearch* search,
                      ExactCountJob* job, CountWorkspace* workspace) {
  planTableCounts(*atlas, job);
  if (!atlasFromMemo(atlas, search, memoStepBudget(*job))) {
    findTableLengths(atlas);
  }
  if (atlas->countsKnown) return;
  CountSums sums = {};
  for (int64_t unit = 0; unit < job->unitCount; ++unit) {
    addCountUnit(*job, unit, evaluateCountUnit(*job, unit, workspace), &sums);
  }
  BigCount counts[kMaxCountQueries];
  for (int32_t q = 0; q < job->queryCount; ++q) {
    counts[q] = finishCount(*job, sums, q);
  }
  setTableCounts(atlas, counts);
}

}  // namespace combo
