// The engine's face to the web page: plain C functions over fixed buffers,
// compiled with the rest of src/ into WebAssembly. Everything the page
// draws (the screen, the buttons, the chain, the summary, the picture of
// the links, the chart, the hints, the English) comes from here; the page
// only passes typed lines in and draws what comes out.
//
// A session is one dialogue that goes on line by line: the page queues the
// lines typed (webQueueLine), runs the dialogue over them (webRun), which
// goes on from where it stopped, and reads the new output and the state it
// stopped in. To go back (undo), it starts a dialogue afresh where the
// current combo began (webComboBegan says where) and runs it over the lines
// since then.
//
// Every function that the page calls is declared with COMBO_WEB_EXPORT;
// tools/web.sh exports exactly those. Answers to yes-or-no questions are 1
// or 0; the page never sees the engine's enum values.

#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "atlas_search.h"
#include "combo_dialogue.h"
#include "console.h"
#include "english.h"
#include "link_table.h"

#define COMBO_WEB_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE

namespace combo {
namespace {

// The lines queued for one run, each with its line break: 32 KiB is a few
// thousand answers on one line, far more than a person types or pastes.
constexpr std::size_t kWebInputSize = 32 * 1024;
// The dialogue writes at most 141 + 49.5 bytes for each byte it reads and
// one more, so the output of a run always fits.
constexpr std::size_t kWebOutputSize = 141 + (kWebInputSize + 1) * 50;
// The line end written after each line queued, as Enter gives it.
constexpr char kLineEnd = '\n';

char gInput[kWebInputSize];
std::size_t gQueued;  // bytes of gInput queued for the next run
char gOutput[kWebOutputSize];
Console gConsole;
DialogueState gState;

AtlasSearch gSearch;  // its remembered states serve every figure
bool gSearchStarted;
FollowUpSummaries gHints;
AtlasState gHintsAt;  // where gHints was worked out
bool gHintsValid;
int32_t gLongest[kMaxAtlasMoves];  // see webLongestCount
int32_t gLongestCount;
StarterSummary gStarter;  // see webStarterLongest

// A line of output and its English. A text is at most 3.7 times as long in
// English ("それは無理です。" has 16 bytes), so the English always fits.
char gEnglishLine[2048];
char gEnglish[4 * sizeof gEnglishLine];

bool isMove(int32_t move) { return move >= kFirstMove && move <= kLastMove; }

bool searchReady() {
  if (!gSearchStarted) {
    LinkTable game;
    resetLinks(&game);
    gSearchStarted = startAtlasSearch(&gSearch, game);
  }
  return gSearchStarted;
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
    summarizeFollowUps(&gSearch, point, &gHints);
    gHintsAt = point;
    gHintsValid = true;
  }
  return true;
}

}  // namespace
}  // namespace combo

using namespace combo;

// --- the session ---------------------------------------------------------

// Starts a new dialogue; nothing is written before the first webRun.
COMBO_WEB_EXPORT void webStart() {
  startDialogue(&gState);
  openMemoryConsole(&gConsole, nullptr, 0, gOutput, sizeof gOutput);
  gQueued = 0;
}

// Where the page puts the bytes of the next line, and how many it may put
// there: what is left of the input of one run, less the line end.
COMBO_WEB_EXPORT char* webLineBuffer() { return gInput + gQueued; }
COMBO_WEB_EXPORT int webLineRoom() {
  return static_cast<int>(kWebInputSize - gQueued - 1);
}

// Queues the length bytes put at webLineBuffer() as one line, with the line
// end after it. REQUIRES: 0 <= length <= webLineRoom().
COMBO_WEB_EXPORT void webQueueLine(int length) {
  gQueued += static_cast<std::size_t>(length);
  gInput[gQueued++] = kLineEnd;
}

// Runs the dialogue on over the lines queued, and empties the queue. Returns
// 1 if it waits for the next line, 0 if it has ended (the user answered 0 at
// the replay prompt, or its output failed).
COMBO_WEB_EXPORT int webRun() {
  continueMemoryConsole(&gConsole, gInput, gQueued);
  gState.comboInput = SIZE_MAX;  // set again if a combo begins
  int status = runDialogue(&gConsole, &gState);
  gQueued = 0;
  return status == kStatusAwaitingInput ? 1 : 0;
}

// Where in the input of the last run the current combo began, or -1 if it
// began before that run. A new dialogue started there (webStart) and run
// over the rest of that input and the lines after it comes to the same
// state as this one.
COMBO_WEB_EXPORT int webComboBegan() {
  return gState.comboInput == SIZE_MAX ? -1
                                       : static_cast<int>(gState.comboInput);
}

// The output of the last run.
COMBO_WEB_EXPORT const char* webOutput() { return gOutput; }
COMBO_WEB_EXPORT int webOutputLength() {
  return static_cast<int>(gConsole.memoryLength);
}

// Where the dialogue stands: at which prompt it waits, if any.
COMBO_WEB_EXPORT int webAtStarter() {
  return gState.waitingAt == Waiting::kStarter;
}
COMBO_WEB_EXPORT int webAtNextMove() {
  return gState.waitingAt == Waiting::kNextMove;
}
COMBO_WEB_EXPORT int webAtReplay() {
  return gState.waitingAt == Waiting::kReplay;
}

// --- the combo -----------------------------------------------------------

// The moves of the current combo, the starter first, and the current move
// (0 before a starter).
COMBO_WEB_EXPORT int webChainLength() { return gState.length; }
COMBO_WEB_EXPORT int webChainMove(int i) {
  return i >= 0 && i < gState.length ? gState.path.moves[i] : 0;
}
COMBO_WEB_EXPORT int webCurrentMove() { return gState.current; }

// The link from move k to move j: whether the game has it, whether the
// current combo has used it, and whether it can be taken now (the next-move
// prompt lists j).
COMBO_WEB_EXPORT int webHasLink(int k, int j) {
  return isMove(k) && isMove(j) && isLinkOpen(kInitialLinks, k, j);
}
COMBO_WEB_EXPORT int webLinkUsed(int k, int j) {
  return webHasLink(k, j) && !isLinkOpen(gState.links, k, j);
}
COMBO_WEB_EXPORT int webFollowsNow(int k, int j) {
  return webAtNextMove() && k == gState.current && webHasLink(k, j) &&
         isLinkOpen(gState.links, k, j);
}

// The answers the waiting prompt takes, in the order to offer them: at the
// starter prompt every move and then 0 (the empty chain); at the next-move
// prompt the follow-ups it lists; at the replay prompt the two answers it
// names; none once the dialogue has ended. Each with its name (Shift_JIS;
// none for 0) and gloss (ASCII).
COMBO_WEB_EXPORT int webAnswerCount() {
  if (webAtStarter()) return kMoveKinds + 1;
  if (webAtNextMove()) return openFollowUps(gState.links, gState.current).count;
  if (webAtReplay()) return static_cast<int>(std::size(kReplayChoices));
  return 0;
}
COMBO_WEB_EXPORT int webAnswer(int i) {
  if (webAtStarter()) return i < kMoveKinds ? kFirstMove + i : 0;
  if (webAtNextMove())
    return openFollowUps(gState.links, gState.current).moves[i];
  return kReplayChoices[i].answer;
}
COMBO_WEB_EXPORT const char* webAnswerName(int i) {
  if (webAtReplay()) return kReplayChoices[i].name;
  int32_t move = webAnswer(i);
  return isMove(move) ? kMoveNames[move - 1].menuName : "";
}
COMBO_WEB_EXPORT const char* webAnswerGloss(int i) {
  if (webAtReplay()) return kReplayChoices[i].gloss;
  int32_t move = webAnswer(i);
  return isMove(move) ? kMoveNames[move - 1].gloss : kNoMoveGloss;
}

// --- the move kinds --------------------------------------------------------

// The number of move kinds; each one's name (Shift_JIS) and gloss (ASCII),
// and where a picture places it: its group (0 air, 1 ground) and its hit
// reaction within the group (0 float, 1 spin, 2 knockback, 3 bounce).
COMBO_WEB_EXPORT int webMoveCount() { return kMoveKinds; }
COMBO_WEB_EXPORT const char* webMoveName(int move) {
  return isMove(move) ? kMoveNames[move - 1].menuName : "";
}
COMBO_WEB_EXPORT const char* webMoveGloss(int move) {
  return isMove(move) ? kMoveNames[move - 1].gloss : kNoMoveGloss;
}
COMBO_WEB_EXPORT int webMoveGroup(int move) {
  return isMove(move) ? (move - kFirstMove) / kMovesPerGroup : 0;
}
COMBO_WEB_EXPORT int webMoveReaction(int move) {
  return isMove(move) ? (move - kFirstMove) % kMovesPerGroup : 0;
}
COMBO_WEB_EXPORT int webGroupCount() {
  return static_cast<int>(std::size(kMoveGroups));
}
COMBO_WEB_EXPORT const char* webGroupName(int group) {
  return kMoveGroups[group].name;
}
COMBO_WEB_EXPORT const char* webGroupGloss(int group) {
  return kMoveGroups[group].gloss;
}

// --- figures from the atlas ------------------------------------------------

// The figures for each follow-up the next-move prompt lists, as
// `combo-atlas MOVE...` prints them; none elsewhere. Row i: the follow-up,
// how many complete combos go on with it (a double: exact up to 2^53), and
// the most moves in one, the moves made so far included.
COMBO_WEB_EXPORT int webHintCount() { return hintsHere() ? gHints.count : 0; }
COMBO_WEB_EXPORT int webHintNext(int i) { return gHints.rows[i].next; }
COMBO_WEB_EXPORT double webHintCombos(int i) {
  return static_cast<double>(gHints.rows[i].combos);
}
COMBO_WEB_EXPORT int webHintLongest(int i) { return gHints.rows[i].longest; }

// Works out the longest way to go on from here, the first in ascending order
// of moves among the longest, and returns how many moves it takes: from the
// starter prompt the whole of the first of the longest combos; from the
// next-move prompt the rest of the first of the longest combos that begin
// with the moves made. 0 elsewhere, and when nothing can follow.
COMBO_WEB_EXPORT int webLongestCount() {
  gLongestCount = 0;
  if (webAtStarter() && searchReady()) {
    StarterSummary best = firstLongestCombo(&gSearch);
    for (int32_t i = 0; i < best.longest; ++i) gLongest[i] = best.example[i];
    gLongestCount = best.longest;
  } else if (hintsHere() && gHints.count > 0) {
    const FollowUpSummary* best = &gHints.rows[firstLongestRow(gHints)];
    for (int32_t i = 0; i < best->exampleLength; ++i) {
      gLongest[i] = best->example[i];
    }
    gLongestCount = best->exampleLength;
  }
  return gLongestCount;
}
COMBO_WEB_EXPORT int webLongestMove(int i) { return gLongest[i]; }

// The figures for the starter of the current combo, as `combo-atlas` prints
// its line: how many complete combos begin with it (a double), the most
// moves in one, and the first of the longest. Returns the most moves, or 0
// when the combo has no starter.
COMBO_WEB_EXPORT int webStarterLongest() {
  gStarter = StarterSummary{};
  if (gState.length == 0 || !searchReady()) return 0;
  gStarter = summarizeStarter(&gSearch, gState.path.moves[0]);
  return gStarter.longest;
}
COMBO_WEB_EXPORT double webStarterCombos() {
  return static_cast<double>(gStarter.combos);
}
COMBO_WEB_EXPORT int webStarterExample(int i) { return gStarter.example[i]; }

// The summary line of the current combo, as the dialogue writes it after
// the combo ends, without the line breaks around it: "8,7,6,7,4+1Zorvです。"
// (Shift_JIS, NUL-terminated).
COMBO_WEB_EXPORT const char* webSummaryLine() {
  static char line[2 * kComboPathSlots + 16 + sizeof kChainLengthWords];
  int32_t n = 0;
  for (int32_t i = 0; i < gState.length; ++i) {
    line[n++] = static_cast<char>('0' + gState.path.moves[i]);
    line[n++] = ',';
  }
  if (gState.length >= 10)
    line[n++] = static_cast<char>('0' + gState.length / 10);
  line[n++] = static_cast<char>('0' + gState.length % 10);
  for (const char* c = kChainLengthWords; *c != '\0'; ++c) line[n++] = *c;
  line[n] = '\0';
  return line;
}

// --- English ----------------------------------------------------------------

// A line of output to put in English: where the page puts its bytes, and
// how many it may put there (a longer line is put in English in part).
COMBO_WEB_EXPORT char* webEnglishBuffer() { return gEnglishLine; }
COMBO_WEB_EXPORT int webEnglishRoom() { return sizeof gEnglishLine; }

// Puts into webEnglishText() the English of the length bytes at
// webEnglishBuffer() (see toEnglish) and returns its length.
// REQUIRES: 0 <= length <= webEnglishRoom().
COMBO_WEB_EXPORT int webEnglish(int length) {
  return static_cast<int>(toEnglish(gEnglishLine,
                                    static_cast<std::size_t>(length), gEnglish,
                                    sizeof gEnglish));
}
COMBO_WEB_EXPORT const char* webEnglishText() { return gEnglish; }
