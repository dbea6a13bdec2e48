// combo-atlas's work on the figures of a table (table_atlas.h), on every
// core the machine has (countThreadsAvailable): the rows' lengths and
// bounds shared out among threads, the units of the exact count among the
// threads of count_threads.h, and the count's progress on a ProgressLine
// (progress_line.h) while it runs.
//
// Its storage is static, for one call at a time: the memo of states
// (2 MiB), the count's job and a workspace for the bounds of each thread
// (256 KiB each, touched only with --estimate). The threads allocate a
// little each as they start, and nothing else does.

#ifndef COMBO_ATLAS_WORK_H_
#define COMBO_ATLAS_WORK_H_

#include "progress_line.h"
#include "table_atlas.h"

namespace combo {

// Works out what combo-atlas writes for *atlas:
//   - with estimate: the lengths (findTableRowLengths) and the bounds
//     (estimateTableRow) of every row;
//   - otherwise the lengths and the exact counts: from the memo within its
//     budget (memoStepBudget), and where it gives up, the lengths by branch
//     and bound and the exact count, whose progress *line shows; where only
//     a count reached the memo's limit, the exact count alone.
// Erases the progress line before it returns. Ctrl-C ends the process at
// any time (progress_line.h).
// REQUIRES: startTableAtlas(atlas, ...) returned true;
// startProgressLine(line, ...).
void figureAtlas(TableAtlas* atlas, bool estimate, ProgressLine* line);

}  // namespace combo

#endif  // COMBO_ATLAS_WORK_H_
