// A line on standard error that tells how far long work has come, for
// combo-atlas's exact count: "combo-atlas: counting, 120 of 3456 units
// done", the units being those of the count (exact_count.h), all of them
// planned before the first starts, so the fraction is exact.
//
// The line is shown only where a person sees it and would wonder: when its
// descriptor is a terminal, and once the work has taken kProgressDelayMs.
// It is rewritten in place (a carriage return, no line feed), at most every
// kProgressIntervalMs, and erased when the work is done, before anything
// else is written: blanks over it, and the cursor back at its start.
//
// Ctrl-C (SIGINT) ends the process at once, as it would without the line:
// on a POSIX system a handler erases the line, if one is shown, and then
// the process dies of SIGINT as by default, so that a shell sees status
// 130. (The blanks also cover the "^C" that a terminal echoes.) On Windows
// Ctrl-C keeps its default, and a line shown stays on the screen.
//
// Only one ProgressLine may be started at a time: the handler reads what it
// erases from variables of this module.

#ifndef COMBO_PROGRESS_LINE_H_
#define COMBO_PROGRESS_LINE_H_

#include <cstdint>

namespace combo {

inline constexpr int64_t kProgressDelayMs = 1000;
inline constexpr int64_t kProgressIntervalMs = 100;

struct ProgressLine {
  int fd;              // where it goes: standard error
  bool terminal;       // fd is a terminal: the line may be shown
  int64_t startMs;     // when the work began, on a steady clock
  int64_t drawnMs;     // when the line was last drawn
  int64_t drawnDone;   // the units done that it showed, -1 before any
  int32_t shownWidth;  // the characters of the longest line drawn since it
                       // was last erased; 0 when none is shown
};

// Starts the clock of *line for work that begins now, its line to go to
// the descriptor fd. If fd is a terminal, installs the Ctrl-C handler that
// erases the line.
void startProgressLine(ProgressLine* line, int fd);

// Shows that `done` of `total` units are done, if fd is a terminal, the
// work has taken kProgressDelayMs, and the line was drawn with another
// figure at least kProgressIntervalMs ago (or never).
// REQUIRES: startProgressLine(line, ...); 0 <= done <= total.
void showProgress(ProgressLine* line, int64_t done, int64_t total);

// Erases the line if one is shown: blanks over it and a carriage return.
// REQUIRES: startProgressLine(line, ...).
void eraseProgress(ProgressLine* line);

// The text of the line, for the tests: writes "combo-atlas: counting, DONE
// of TOTAL units done" and a NUL into text. Returns its length.
// REQUIRES: text has room for kProgressTextSize bytes.
inline constexpr int32_t kProgressTextSize = 80;
int32_t formatProgress(int64_t done, int64_t total, char* text);

}  // namespace combo

#endif  // COMBO_PROGRESS_LINE_H_
