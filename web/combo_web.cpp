// The engine's face to the web page: a few plain C functions over fixed
// buffers, compiled with the rest of src/ into WebAssembly. Everything the
// page draws (the screen, the buttons, the chain, the summary, the picture
// of the links, the chart, the hints, the English) comes from here; the
// page passes typed lines in and draws what comes out.
//
// A session is one dialogue that goes on line by line: the page queues the
// lines typed (webQueueLine), runs the dialogue over them (webRun), which
// goes on from where it stopped, and reads the new output and where the
// dialogue stopped. To go back (undo), it starts a dialogue afresh where the
// current combo began (WebSnapshot::comboBegan says where) and runs it over
// the lines since then. A link's many answers run each in a run of its own,
// all in one call (webRunEach), which notes what each did (WebLineRun):
// the page then steps into the engine once for thousands of answers.
//
// What the page draws comes in two plain structs in the engine's memory:
//   - WebTexts (webTexts), read once: the names of the move kinds and of
//     their groups, and where the buffers are;
//   - WebSnapshot (webSnapshot), read once per change: what the dialogue
//     waits for, the chain, the 64 link marks, the answers the waiting
//     prompt takes, the hints, the summary, and how the last run ended.
// web/engine.js reads them field by field, in the order they are declared
// here, each field at its natural alignment as C lays it out; each struct
// begins with its own size, which the reader checks against what it read.
// To add a field, add it here and read it there at the same place.
//
// Every function that the page calls is marked COMBO_WEB_EXPORT, which
// exports it from the WebAssembly module under its own name. Texts are
// NUL-terminated; Shift_JIS where they are Japanese, ASCII otherwise.

#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "atlas_search.h"
#include "combo_dialogue.h"
#include "console.h"
#include "english.h"
#include "full_width.h"
#include "lab_web.h"
#include "link_table.h"

#define COMBO_WEB_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE

namespace combo {
namespace {

// The lines queued for one run, each with its line break: 32 KiB is a few
// thousand answers on one line, far more than a person types or pastes.
constexpr std::size_t kWebInputSize = 32 * 1024;
// A line may have all of it but its line break.
constexpr std::size_t kWebLineMost = kWebInputSize - 1;
// The output of one run over a full queue always fits.
constexpr std::size_t kWebOutputSize = maxDialogueOutput(kWebInputSize);
// A line as typed, in UTF-8, before narrowFullWidth: each character that
// it narrows takes 3 bytes, so a line that fits once narrowed fits here.
constexpr std::size_t kWebTypedSize = 3 * kWebLineMost;
// The line end written after each line queued, as Enter gives it.
constexpr char kLineEnd = '\n';
// The most lines queued at once: webRunEach notes what each did. A link's
// answers are mostly one digit, two bytes with the line end, so a full
// queue of them runs in one call.
constexpr int32_t kWebQueueLines = 4096;

}  // namespace

// What the dialogue waits for, in WebSnapshot::waiting.
enum WebWaiting : int32_t {
  kWebEnded = 0,       // nothing: the user answered 0 to the replay prompt
  kWebAtStarter = 1,   // the starter prompt
  kWebAtNextMove = 2,  // the next-move prompt
  kWebAtReplay = 3,    // the replay prompt
};

// The mark of a link in WebSnapshot::links.
enum WebLinkMark : uint8_t {
  kWebNoLink = 0,       // the game has no link there
  kWebLinkOpen = 1,     // a link the current combo has not used
  kWebLinkUsed = 2,     // a link the current combo has used
  kWebLinkFollows = 3,  // open, from the current move: the next-move prompt
                        // lists where it goes
};

struct WebSnapshot;
struct WebLineRun;

// A move kind: its menu name and gloss, and where a picture places it: its
// group (0 air, 1 ground) and its hit reaction within the group (0 float,
// 1 spin, 2 knockback, 3 bounce).
struct WebMove {
  const char* name;
  const char* gloss;
  int32_t group;
  int32_t reaction;
};

struct WebGroup {
  const char* name;
  const char* gloss;
};

// What does not change: names, and where the buffers are. moveCount and
// groupCount are the sizes of their arrays.
struct WebTexts {
  int32_t size;  // sizeof (WebTexts)
  int32_t moveCount;
  WebMove moves[kMoveKinds];  // move k at k - 1
  int32_t groupCount;
  WebGroup groups[std::size(kMoveGroups)];
  int32_t lineMost;     // the most bytes one line may have
  char* typed;          // where webNarrow reads a typed line
  int32_t typedRoom;    // and how many bytes it may put there
  char* englishLine;    // where webEnglish reads a line of output
  int32_t englishRoom;  // and how many bytes it may put there
  const char* english;  // where webEnglish writes its English
  const char* output;   // where each run writes its output
  // Where webRunEach notes what each line did, and for how many lines:
  // the most that may be queued at once.
  const WebLineRun* lineRuns;
  int32_t queueLines;
  // Where the snapshot is (webRun sets the fields of the run there), and
  // how many entries the arrays of WebSnapshot and WebLongest hold.
  const WebSnapshot* snapshot;
  int32_t chainSlots;
  int32_t linkMarks;
  int32_t answerSlots;
  int32_t hintSlots;
  int32_t summarySize;
  int32_t exampleSlots;
  // The game's table, as webSetTable takes a table: its low and high half.
  uint32_t gameLow;
  uint32_t gameHigh;
};

// The figures of the atlas for one follow-up, as `combo-atlas MOVE...`
// prints them: how many complete combos go on with it (a double: exact up
// to 2^53), and the fewest and the most moves in one, the moves made so far
// included; and whether the combo ends with it, nothing being able to
// follow it then.
struct WebHint {
  double combos;
  int32_t next;
  int32_t longest;
  int32_t shortest;
  int32_t endsCombo;  // 1 if the combo ends with this move, else 0
};

// Where the dialogue stands after the last run, and what the page draws
// from it. webRun sets the fields of the run; webSnapshot sets the rest.
struct WebSnapshot {
  int32_t size;  // sizeof (WebSnapshot)
  // The last run.
  int32_t waiting;       // a WebWaiting
  int32_t outputLength;  // the bytes it wrote, at WebTexts::output
  // Where in the input of the last run the current combo began, or -1 if it
  // began before that run. A new dialogue started there (webStart) and run
  // over the rest of that input and the lines after it comes to the same
  // state as this one.
  int32_t comboBegan;
  // Where in the input of the last run the last answer taken in it began
  // and ended (DialogueState::takenInput, takenEnd), or -1 if the run took
  // none: to take it back, a front end cuts the input at takenAt.
  int32_t takenAt;
  int32_t takenEnd;
  // The starter just used (DialogueState::lastStarter), 0 if none: a new
  // dialogue started where the current combo began is given it (webStart).
  int32_t lastStarter;
  // The combo.
  int32_t current;  // the current move, 0 before a starter
  int32_t chainLength;
  int32_t chain[kComboPathSlots];  // the starter first
  // The mark (WebLinkMark) of the link from move k to move j at
  // (k - 1) * kMoveKinds + j - 1.
  uint8_t links[kMoveKinds * kMoveKinds];
  // The answers the waiting prompt takes (listPromptAnswers).
  PromptAnswers answers;
  // At the next-move prompt, the figures for each follow-up it lists, in
  // its order; none elsewhere. With them, the complete combos still
  // possible (their sum), and the best follow-up: the one the first of the
  // longest complete combos goes on with (firstLongestRow), as webLongest
  // plays it; 0 where there is none.
  int32_t hintCount;
  WebHint hints[kMoveKinds];
  double hintCombos;
  int32_t hintBest;
  // 1 where the table is too dense for the memo of states: the counts of
  // the hints and of the starter below are then estimates, and a longest
  // the longest found.
  int32_t estimated;
  // At the replay prompt, the summary line of the combo (formatSummaryLine);
  // elsewhere empty.
  int32_t summaryLength;
  char summary[kSummaryLineSize];
  // At the replay prompt, the figures for the combo's starter, as
  // `combo-atlas` prints its line: the most moves in one combo from it (0
  // for the empty chain, and elsewhere), how many complete combos begin with
  // it, and the first of the longest, starterExample[0..starterLongest).
  int32_t starterLongest;
  double starterCombos;
  int32_t starterExample[kMaxAtlasMoves];
};

// engine.js reads an answer (listPromptAnswers) as two numbers and two
// pointers, 4 bytes each in WebAssembly's 32-bit memory.
static_assert(sizeof(PromptAnswer) == 4 * sizeof(int32_t),
              "a PromptAnswer as engine.js reads it");

// What one line did, run on its own by webRunEach: as the fields of the run
// in WebSnapshot say after webRun over that line alone.
struct WebLineRun {
  int32_t lineBreaks;   // the line breaks in its output
  int32_t comboBegan;   // where in the line the current combo began, or -1
  int32_t going;        // 1 if the dialogue waits for the next line, else 0
  int32_t takenAt;      // where the answer it took began in the line, or -1
  int32_t takenEnd;     // and where it ended, or -1
  int32_t lastStarter;  // the starter just used after it, 0 if none
};
static_assert(sizeof(WebLineRun) == 6 * sizeof(int32_t),
              "a WebLineRun as engine.js reads it");

// The longest way on from where the dialogue stands (webLongest).
struct WebLongest {
  int32_t size;  // sizeof (WebLongest)
  int32_t count;
  int32_t moves[kMaxAtlasMoves];
};

namespace {

char gInput[kWebInputSize];
std::size_t gQueued;  // bytes of gInput queued for the next run
std::size_t gLineEnds[kWebQueueLines];  // where each line queued ends
int32_t gLines;                         // lines queued
WebLineRun gLineRuns[kWebQueueLines];
char gOutput[kWebOutputSize];
char gTyped[kWebTypedSize];
Console gConsole;
DialogueState gState;
WebTexts gTexts;
WebSnapshot gSnapshot;
WebLongest gLongest;

// The table every combo starts with: the game's, or one the page set.
LinkTable gTable = kInitialLinks;
bool gOnGameTable = true;

AtlasSearch gSearch;  // its remembered states serve every figure
bool gSearchStarted;
// On a table other than the game's the memo gets this many steps in all,
// about 20 ms: a table denser than the game's may need millions for its
// figures, and those then come from followUpsByBounds (and from the lab's
// atlas), so that no answer takes a task of 100 ms.
constexpr int64_t kTableMemoSteps = int64_t{1} << 18;
FollowUpSummaries gHints;
// Where the memo gave up (gSearch.spent), gHints came from
// followUpsByBounds, and its counts are estimates, here.
bool gHintsByBounds;
double gHintEstimates[kMoveKinds];
AtlasState gHintsAt;  // where gHints was worked out
bool gHintsValid;

// A part of a line of output and its English. A text is at most 3.7 times
// as long in English ("それは無理です。" has 16 bytes), and a byte with a
// space before it twice, so the English always fits.
char gEnglishLine[2048];
char gEnglish[4 * sizeof gEnglishLine];
EnglishReading gEnglishReading;  // where the line being read stands
std::size_t gEnglishRead;        // the bytes of the last part read
static_assert(sizeof gEnglishLine >= 2 * kLongestTextInEnglish,
              "a part of a line reads most of its bytes");

bool searchReady() {
  if (!gSearchStarted) {
    gSearchStarted = startAtlasSearch(&gSearch, gTable);
    if (gSearchStarted && !gOnGameTable) {
      setAtlasStepBudget(&gSearch, kTableMemoSteps);
    }
  }
  return gSearchStarted;
}

// The figures for the starter of a complete combo, or of the first of the
// longest from the starter just used, or of all when starter is 0, and,
// unless combos is null, the count of the combos from it: from the memo
// while its budget lasts, otherwise from starterByBounds, the count an
// estimate.
StarterSummary starterFigures(int32_t starter, double* combos) {
  if (!gSearch.spent) {
    StarterSummary summary = starter != 0 ? summarizeStarter(&gSearch, starter)
                                          : firstLongestCombo(&gSearch);
    if (combos != nullptr) *combos = static_cast<double>(summary.combos);
    if (!gSearch.spent) return summary;
  }
  // Without the count, the lab's atlas may know it already.
  StarterSummary summary;
  if (combos == nullptr && starterFromLab(gTable, starter, &summary)) {
    return summary;
  }
  return starterByBounds(gTable, starter, combos);
}

// The figures for each open follow-up of the current combo, worked out once
// for each point the combo reaches. Returns false where there are none:
// away from the next-move prompt.
bool hintsHere() {
  if (gState.waitingAt != Waiting::kNextMove || !searchReady()) return false;
  AtlasState point;
  if (!stateOfLinks(gSearch, gState.links, gState.current, &point)) {
    return false;
  }
  if (!gHintsValid || point.move != gHintsAt.move ||
      point.used != gHintsAt.used) {
    if (!gSearch.spent) summarizeFollowUps(&gSearch, point, &gHints);
    gHintsByBounds = gSearch.spent;
    if (gHintsByBounds) {
      followUpsByBounds(gTable, gState.path.moves, gState.length, &gHints,
                        gHintEstimates);
    }
    gHintsAt = point;
    gHintsValid = true;
  }
  return true;
}

// An offset into the input of the last run, or -1 for SIZE_MAX: none.
int32_t offsetInRun(std::size_t offset) {
  return offset == SIZE_MAX ? -1 : static_cast<int32_t>(offset);
}

int32_t waitingNow() {
  switch (gState.waitingAt) {
    case Waiting::kStarter:
      return kWebAtStarter;
    case Waiting::kNextMove:
      return kWebAtNextMove;
    case Waiting::kReplay:
      return kWebAtReplay;
    default:
      return kWebEnded;
  }
}

uint8_t linkMark(int32_t k, int32_t j) {
  if (!isLinkOpen(gTable, k, j)) return kWebNoLink;
  if (!isLinkOpen(gState.links, k, j)) return kWebLinkUsed;
  if (gState.waitingAt == Waiting::kNextMove && k == gState.current) {
    return kWebLinkFollows;
  }
  return kWebLinkOpen;
}

void snapLinks() {
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      gSnapshot.links[(k - 1) * kMoveKinds + j - 1] = linkMark(k, j);
    }
  }
}

void snapHints() {
  gSnapshot.hintCount = 0;
  gSnapshot.hintCombos = 0;
  gSnapshot.hintBest = 0;
  if (!hintsHere()) return;
  for (int32_t i = 0; i < gHints.count; ++i) {
    const FollowUpSummary& row = gHints.rows[i];
    double combos =
        gHintsByBounds ? gHintEstimates[i] : static_cast<double>(row.combos);
    gSnapshot.hints[i] = {combos, row.next, row.longest, row.shortest,
                          row.longest == gState.length + 1 ? 1 : 0};
    gSnapshot.hintCombos += combos;
  }
  gSnapshot.hintCount = gHints.count;
  int32_t best = firstLongestRow(gHints);
  if (best >= 0) gSnapshot.hintBest = gHints.rows[best].next;
}

void snapSummary() {
  gSnapshot.summaryLength = 0;
  gSnapshot.summary[0] = '\0';
  gSnapshot.starterLongest = 0;
  gSnapshot.starterCombos = 0;
  if (gState.waitingAt != Waiting::kReplay) return;
  gSnapshot.summaryLength = static_cast<int32_t>(
      formatSummaryLine(gState.path, gState.length, gSnapshot.summary));
  if (gState.length == 0 || !searchReady()) return;
  double combos = 0;
  StarterSummary starter = starterFigures(gState.path.moves[0], &combos);
  gSnapshot.starterLongest = starter.longest;
  gSnapshot.starterCombos = combos;
  for (int32_t i = 0; i < starter.longest; ++i) {
    gSnapshot.starterExample[i] = starter.example[i];
  }
}

// Runs the dialogue on over the length bytes of input at input and sets the
// fields of the run in the snapshot. Returns whether the dialogue waits for
// the next line.
bool runPart(const char* input, std::size_t length) {
  continueMemoryConsole(&gConsole, input, length);
  gState.comboInput = SIZE_MAX;  // set again if a combo begins
  gState.takenInput = SIZE_MAX;  // and if an answer is taken
  int status = runDialogue(&gConsole, &gState);
  gSnapshot.size = sizeof gSnapshot;
  gSnapshot.waiting = waitingNow();
  gSnapshot.outputLength = static_cast<int32_t>(gConsole.memoryLength);
  gSnapshot.comboBegan = offsetInRun(gState.comboInput);
  gSnapshot.takenAt = offsetInRun(gState.takenInput);
  gSnapshot.takenEnd =
      gSnapshot.takenAt < 0 ? -1 : static_cast<int32_t>(gState.takenEnd);
  gSnapshot.lastStarter = gState.lastStarter;
  return status == kStatusAwaitingInput;
}

int32_t outputLineBreaks() {
  int32_t breaks = 0;
  for (std::size_t i = 0; i < gConsole.memoryLength; ++i) {
    breaks += gOutput[i] == kLineEnd ? 1 : 0;
  }
  return breaks;
}

void emptyQueue() {
  gQueued = 0;
  gLines = 0;
}

}  // namespace
}  // namespace combo

using namespace combo;

// --- the session ---------------------------------------------------------

// Starts a new dialogue, with lastStarter as the starter just used (0 for
// none: a new session); nothing is written before the first webRun. To go
// back, the page starts one where the current combo began, with the
// lastStarter the snapshot said there.
COMBO_WEB_EXPORT void webStart(int lastStarter) {
  startDialogue(&gState, gTable);
  gState.lastStarter = lastStarter;
  openMemoryConsole(&gConsole, nullptr, 0, gOutput, sizeof gOutput);
  emptyQueue();
}

// Where the page puts the bytes of the next line, and how many it may put
// there: what is left of the input of one run, less the line end; -1 once
// kWebQueueLines lines are queued, as no more may be before a run.
COMBO_WEB_EXPORT char* webLineBuffer() { return gInput + gQueued; }
COMBO_WEB_EXPORT int webLineRoom() {
  if (gLines == kWebQueueLines) return -1;
  return static_cast<int>(kWebInputSize - gQueued - 1);
}

// Queues the length bytes put at webLineBuffer() as one line, with the line
// end after it. REQUIRES: 0 <= length <= webLineRoom().
COMBO_WEB_EXPORT void webQueueLine(int length) {
  gQueued += static_cast<std::size_t>(length);
  gInput[gQueued++] = kLineEnd;
  gLineEnds[gLines++] = gQueued;
}

// Runs the dialogue on over the lines queued, empties the queue, and sets
// the fields of the run in the snapshot. Returns 1 if the dialogue waits for
// the next line, 0 if it has ended (the user answered 0 at the replay
// prompt, or its output failed).
COMBO_WEB_EXPORT int webRun() {
  bool going = runPart(gInput, gQueued);
  emptyQueue();
  return going ? 1 : 0;
}

// Runs the lines queued each in a run of its own, in the order queued, as
// webRun over each line alone would, and notes what each did at
// WebTexts::lineRuns; stops after the line at which the dialogue ends.
// Empties the queue, and returns how many lines ran. The output and the
// fields of the run in the snapshot are those of the last line run.
COMBO_WEB_EXPORT int webRunEach() {
  int32_t ran = 0;
  std::size_t start = 0;
  bool going = true;
  while (going && ran < gLines) {
    going = runPart(gInput + start, gLineEnds[ran] - start);
    gLineRuns[ran] = {outputLineBreaks(), gSnapshot.comboBegan,
                      going ? 1 : 0,      gSnapshot.takenAt,
                      gSnapshot.takenEnd, gSnapshot.lastStarter};
    start = gLineEnds[ran++];
  }
  emptyQueue();
  return ran;
}

// Fills the snapshot of where the dialogue stands (WebSnapshot) and returns
// its address. The fields of the run are those of the last webRun.
COMBO_WEB_EXPORT const WebSnapshot* webSnapshot() {
  gSnapshot.size = sizeof gSnapshot;
  gSnapshot.current = gState.current;
  gSnapshot.chainLength = gState.length;
  for (int32_t i = 0; i < kComboPathSlots; ++i) {
    gSnapshot.chain[i] = i < gState.length ? gState.path.moves[i] : 0;
  }
  snapLinks();
  listPromptAnswers(gState, &gSnapshot.answers);
  snapHints();
  snapSummary();
  gSnapshot.estimated = gSearchStarted && gSearch.spent ? 1 : 0;
  return &gSnapshot;
}

// The names and the buffers (WebTexts), which never change.
COMBO_WEB_EXPORT const WebTexts* webTexts() {
  gTexts.size = sizeof gTexts;
  gTexts.moveCount = kMoveKinds;
  for (int32_t move = kFirstMove; move <= kLastMove; ++move) {
    gTexts.moves[move - 1] = {kMoveNames[move - 1].menuName,
                              kMoveNames[move - 1].gloss,
                              (move - kFirstMove) / kMovesPerGroup,
                              (move - kFirstMove) % kMovesPerGroup};
  }
  gTexts.groupCount = static_cast<int32_t>(std::size(kMoveGroups));
  for (int32_t g = 0; g < gTexts.groupCount; ++g) {
    gTexts.groups[g] = {kMoveGroups[g].name, kMoveGroups[g].gloss};
  }
  gTexts.lineMost = static_cast<int32_t>(kWebLineMost);
  gTexts.typed = gTyped;
  gTexts.typedRoom = static_cast<int32_t>(sizeof gTyped);
  gTexts.englishLine = gEnglishLine;
  gTexts.englishRoom = static_cast<int32_t>(sizeof gEnglishLine);
  gTexts.english = gEnglish;
  gTexts.output = gOutput;
  gTexts.lineRuns = gLineRuns;
  gTexts.queueLines = kWebQueueLines;
  gTexts.snapshot = &gSnapshot;
  gTexts.chainSlots = kComboPathSlots;
  gTexts.linkMarks = kMoveKinds * kMoveKinds;
  gTexts.answerSlots = kMaxPromptAnswers;
  gTexts.hintSlots = kMoveKinds;
  gTexts.summarySize = static_cast<int32_t>(kSummaryLineSize);
  gTexts.exampleSlots = kMaxAtlasMoves;
  uint64_t game = bitsOfTable(kInitialLinks);
  gTexts.gameLow = static_cast<uint32_t>(game);
  gTexts.gameHigh = static_cast<uint32_t>(game >> 32);
  return &gTexts;
}

// Reads the line of length bytes put at WebTexts::typed as a phone's input
// method types it (narrowFullWidth), in place, and returns its new length.
// REQUIRES: 0 <= length <= WebTexts::typedRoom.
COMBO_WEB_EXPORT int webNarrow(int length) {
  return static_cast<int>(
      narrowFullWidth(gTyped, static_cast<std::size_t>(length)));
}

// --- figures from the atlas ------------------------------------------------

// Works out the longest way to go on from here, the first in ascending order
// of moves among the longest, and returns its address (WebLongest): from the
// starter prompt the first of the longest combos from the starter just used
// (DialogueState::lastStarter), or, before any was, the first of all the
// longest combos; from the next-move prompt the rest of the first of the
// longest combos that begin with the moves made. No moves elsewhere, and
// when nothing can follow.
COMBO_WEB_EXPORT const WebLongest* webLongest() {
  gLongest.size = sizeof gLongest;
  gLongest.count = 0;
  if (gState.waitingAt == Waiting::kStarter && searchReady()) {
    StarterSummary best = starterFigures(gState.lastStarter, nullptr);
    for (int32_t i = 0; i < best.longest; ++i) {
      gLongest.moves[i] = best.example[i];
    }
    gLongest.count = best.longest;
  } else if (hintsHere() && gHints.count > 0) {
    const FollowUpSummary& best = gHints.rows[firstLongestRow(gHints)];
    for (int32_t i = 0; i < best.exampleLength; ++i) {
      gLongest.moves[i] = best.example[i];
    }
    gLongest.count = best.exampleLength;
  }
  return &gLongest;
}

// --- English ----------------------------------------------------------------

// --- the table ------------------------------------------------------------

// Sets the table that every combo starts with from the next webStart on:
// the links low and high (tableOfBits; the game's table is
// bitsOfTable(kInitialLinks)). The figures follow it.
COMBO_WEB_EXPORT void webSetTable(uint32_t low, uint32_t high) {
  gTable = tableOfBits(low, high);
  uint64_t bits = (uint64_t{high} << 32) | low;
  gOnGameTable = bits == bitsOfTable(kInitialLinks);
  gSearchStarted = false;
  gHintsValid = false;
}

// Puts into WebTexts::english the English of the length bytes of output put
// at WebTexts::englishLine, a line or a part of one (see toEnglishPart), and
// returns its length. A line longer than englishRoom goes in parts: the
// first with first set, each but the last with goesOn set; a part reads all
// but its last few bytes, webEnglishRead() says how many, and the next part
// begins with the rest. The parts' English joined is the whole line's.
// REQUIRES: 0 <= length <= WebTexts::englishRoom; length = englishRoom
// where goesOn.
COMBO_WEB_EXPORT int webEnglish(int length, int goesOn, int first) {
  if (first) gEnglishReading = EnglishReading{};
  return static_cast<int>(toEnglishPart(
      gEnglishLine, static_cast<std::size_t>(length), goesOn != 0,
      &gEnglishReading, gEnglish, sizeof gEnglish, &gEnglishRead));
}

// The bytes that the last webEnglish read of its part.
COMBO_WEB_EXPORT int webEnglishRead() { return static_cast<int>(gEnglishRead); }
