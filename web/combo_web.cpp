// The engine's face to the web page: plain C functions over fixed buffers,
// compiled with the rest of src/ into WebAssembly. The page copies what the
// user typed into the input buffer, runs the dialogue over it, and reads
// back the output bytes and the state the dialogue ended in; everything it
// draws (the screen, the buttons, the link chart, the hints) comes from
// here.
//
// Every function that the page calls is declared with COMBO_WEB_EXPORT;
// tools/web.sh exports exactly those.

#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "combo_atlas.h"
#include "combo_dialogue.h"
#include "console.h"
#include "link_table.h"

#define COMBO_WEB_EXPORT extern "C" EMSCRIPTEN_KEEPALIVE

namespace combo {
namespace {

// The page replays only the current combo, so the input holds what was
// typed since it began: 256 KiB is more than a thousand long answers.
constexpr std::size_t kWebInputSize = 256 * 1024;
// The dialogue writes at most 141 + 49.5 bytes for each byte typed and one
// more, so the output always fits.
constexpr std::size_t kWebOutputSize = 141 + (kWebInputSize + 1) * 50;

char gInput[kWebInputSize];
char gOutput[kWebOutputSize];
Console gConsole;
DialogueState gState;
int gStatus;
AtlasSearch gSearch;  // its remembered states serve every hint
bool gSearchStarted;
FollowUpSummaries gHints;

// The moves the current prompt lists: the menu's at the starter prompt, the
// open follow-ups at the next-move prompt, none elsewhere.
FollowUps listedMoves() {
  FollowUps listed = {};
  if (gState.waitingAt == Waiting::kStarter) {
    for (int32_t move = kFirstMove; move <= kLastMove; ++move) {
      listed.moves[listed.count++] = move;
    }
  } else if (gState.waitingAt == Waiting::kNextMove) {
    listed = openFollowUps(gState.links, gState.current);
  }
  return listed;
}

bool isMove(int32_t move) { return move >= kFirstMove && move <= kLastMove; }

}  // namespace
}  // namespace combo

using namespace combo;

// The input buffer and its size.
COMBO_WEB_EXPORT char* webInputBuffer() { return gInput; }
COMBO_WEB_EXPORT int webInputCapacity() { return kWebInputSize; }

// Runs the dialogue afresh on the first length bytes of the input buffer
// and returns its exit status; the output and the state stay for the
// functions below. REQUIRES: length <= webInputCapacity().
COMBO_WEB_EXPORT int webRun(int length) {
  openMemoryConsole(&gConsole, gInput, static_cast<std::size_t>(length),
                    gOutput, sizeof gOutput);
  gStatus = runDialogue(&gConsole, &gState);
  return gStatus;
}

// The output of the last run.
COMBO_WEB_EXPORT const char* webOutput() { return gOutput; }
COMBO_WEB_EXPORT int webOutputLength() {
  return static_cast<int>(gConsole.memoryLength);
}

// Where the last run ended: the prompt (0 starter, 1 next move, 2 replay,
// 3 none), the current move (0 if none), and the input used and the output
// written before the current combo began.
COMBO_WEB_EXPORT int webWaitingAt() {
  return static_cast<int>(gState.waitingAt);
}
COMBO_WEB_EXPORT int webCurrentMove() { return gState.current; }
COMBO_WEB_EXPORT int webComboInput() {
  return static_cast<int>(gState.comboInput);
}
COMBO_WEB_EXPORT int webComboOutput() {
  return static_cast<int>(gState.comboOutput);
}

// The link from move k to move j: 0 if the game has none, 1 if it is open
// in the current combo, 2 if the combo has used it.
COMBO_WEB_EXPORT int webLinkState(int k, int j) {
  if (!isMove(k) || !isMove(j)) return 0;
  if (!isLinkOpen(kInitialLinks, k, j)) return 0;
  return isLinkOpen(gState.links, k, j) ? 1 : 2;
}

// The moves the current prompt lists, in ascending order.
COMBO_WEB_EXPORT int webListedCount() { return listedMoves().count; }
COMBO_WEB_EXPORT int webListed(int i) { return listedMoves().moves[i]; }

// The number of move kinds, and each one's menu name (Shift_JIS) and
// English gloss (ASCII), both NUL-terminated; for 0, no name and the gloss
// of no move.
COMBO_WEB_EXPORT int webMoveCount() { return kMoveKinds; }
COMBO_WEB_EXPORT const char* webMoveName(int move) {
  return isMove(move) ? kMoveNames[move - 1].menuName : "";
}
COMBO_WEB_EXPORT const char* webMoveGloss(int move) {
  return isMove(move) ? kMoveNames[move - 1].gloss : kNoMoveGloss;
}

// The answers the replay prompt offers, when it is waiting: each one's
// number, name (Shift_JIS) and gloss (ASCII).
constexpr int kReplyCount = static_cast<int>(std::size(kReplayChoices));
COMBO_WEB_EXPORT int webReplyCount() {
  return gState.waitingAt == Waiting::kReplay ? kReplyCount : 0;
}
COMBO_WEB_EXPORT int webReplyAnswer(int i) { return kReplayChoices[i].answer; }
COMBO_WEB_EXPORT const char* webReplyName(int i) {
  return kReplayChoices[i].name;
}
COMBO_WEB_EXPORT const char* webReplyGloss(int i) {
  return kReplayChoices[i].gloss;
}

// Works out the figures for each open follow-up of the current move, as
// `combo-atlas MOVE...` prints them, and returns how many there are: none
// unless the dialogue waits at the next-move prompt.
COMBO_WEB_EXPORT int webHintCount() {
  gHints = FollowUpSummaries{};
  if (gState.waitingAt != Waiting::kNextMove) return 0;
  if (!gSearchStarted) {
    LinkTable game;
    resetLinks(&game);
    gSearchStarted = startAtlasSearch(&gSearch, game);
  }
  AtlasState point;
  if (!gSearchStarted ||
      !stateOfLinks(gSearch, gState.links, gState.current, &point)) {
    return 0;
  }
  summarizeFollowUps(&gSearch, point, &gHints);
  return gHints.count;
}

// Row i of the figures webHintCount worked out: the follow-up, how many
// complete combos go on with it (a double: exact up to 2^53), and the
// fewest and most moves in one, the moves made so far included.
COMBO_WEB_EXPORT int webHintNext(int i) { return gHints.rows[i].next; }
COMBO_WEB_EXPORT double webHintCombos(int i) {
  return static_cast<double>(gHints.rows[i].combos);
}
COMBO_WEB_EXPORT int webHintShortest(int i) { return gHints.rows[i].shortest; }
COMBO_WEB_EXPORT int webHintLongest(int i) { return gHints.rows[i].longest; }
