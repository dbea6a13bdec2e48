#include "progress_line.h"

#include <atomic>
#include <chrono>
#include <cstdio>

#include "console.h"

#ifndef _WIN32
#include <signal.h>
#endif

namespace combo {
namespace {

// What the Ctrl-C handler erases: the width of the line shown (0 for
// none), and where. Atomics free of locks, as a handler may read them
// while the thread that draws the line writes them.
std::atomic<int32_t> gShownWidth{0};
std::atomic<int> gFd{2};
static_assert(ATOMIC_INT_LOCK_FREE == 2,
              "a signal handler may read an atomic int");

// Blanks over the line: besides its width, two more columns for the "^C"
// that a terminal echoes when Ctrl-C is typed.
constexpr int32_t kEchoRoom = 2;

int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Writes a carriage return, width + kEchoRoom blanks and a carriage return
// to fd: one write, safe in a signal handler.
void blankOut(int fd, int32_t width) {
  char text[kProgressTextSize + kEchoRoom + 2];
  int32_t length = 0;
  text[length++] = '\r';
  for (int32_t i = 0; i < width + kEchoRoom; ++i) text[length++] = ' ';
  text[length++] = '\r';
  writeAside(fd, text, static_cast<std::size_t>(length));
}

#ifndef _WIN32
// Ctrl-C: erases the line shown, if any, then raises the signal again. The
// handler was installed with SA_RESETHAND, so the signal's action is the
// default once more; raised here, it is held until the handler returns and
// then ends the process as if no handler had been installed.
void onInterrupt(int signal) {
  int32_t width = gShownWidth.load();
  if (width > 0) blankOut(gFd.load(), width);
  raise(signal);
}

// Installs onInterrupt for SIGINT, unless SIGINT is ignored (as in a job
// that a shell without job control ran in the background): it stays so.
void installInterruptHandler() {
  struct sigaction old;
  if (sigaction(SIGINT, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) {
    return;
  }
  struct sigaction action = {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
}
#else
// Windows keeps the default of Ctrl-C.
void installInterruptHandler() {}
#endif

}  // namespace

void startProgressLine(ProgressLine* line, int fd) {
  line->fd = fd;
  line->terminal = isTerminalDescriptor(fd);
  line->startMs = nowMs();
  line->drawnMs = 0;
  line->drawnDone = -1;
  line->shownWidth = 0;
  gFd.store(fd);
  gShownWidth.store(0);
  if (line->terminal) installInterruptHandler();
}

void showProgress(ProgressLine* line, int64_t done, int64_t total) {
  if (!line->terminal || done == line->drawnDone) return;
  int64_t now = nowMs();
  if (now - line->startMs < kProgressDelayMs) return;
  if (line->drawnDone >= 0 && now - line->drawnMs < kProgressIntervalMs) {
    return;
  }
  char text[kProgressTextSize + 1];
  text[0] = '\r';
  int32_t length = formatProgress(done, total, text + 1);
  // A shorter line than the last would leave the end of that one.
  while (length < line->shownWidth) text[1 + length++] = ' ';
  if (length > line->shownWidth) line->shownWidth = length;
  // Known to the handler before the line is on the screen.
  gShownWidth.store(line->shownWidth);
  writeAside(line->fd, text, static_cast<std::size_t>(1 + length));
  line->drawnMs = now;
  line->drawnDone = done;
}

void eraseProgress(ProgressLine* line) {
  if (line->shownWidth == 0) return;
  // Erased before the handler forgets it: a Ctrl-C in between erases it
  // twice, which shows no more than once.
  blankOut(line->fd, line->shownWidth);
  gShownWidth.store(0);
  line->shownWidth = 0;
  line->drawnDone = -1;
}

int32_t formatProgress(int64_t done, int64_t total, char* text) {
  int length = std::snprintf(
      text, kProgressTextSize, "combo-atlas: counting, %lld of %lld units done",
      static_cast<long long>(done), static_cast<long long>(total));
  return static_cast<int32_t>(length);
}

}  // namespace combo
