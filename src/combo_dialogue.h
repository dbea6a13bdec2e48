// The console dialogue that builds one combo after another.
//
// Each combo starts from a fully restored link table: the menu of move kinds,
// then a starter, then follow-ups picked one at a time from the open links of
// the current move until none is left; then the chain and its length, and the
// question whether to build another. Every text is Shift_JIS.
//
// Answers the user can get wrong are never fatal:
//   - a starter outside 0 to 8, or unreadable input at the starter prompt:
//     "そんな技はありません。" and the starter prompt again (no menu);
//   - a follow-up whose link is closed (0 always is): "それは無理です。",
//     then the same listing and prompt again;
//   - a follow-up outside 0 to 8, or unreadable input there:
//     "そんな技はありません。", then the same listing and prompt again;
//   - unreadable input at the replay prompt: the replay prompt again.
// At the end of input the dialogue writes one line break and ends; on a
// console whose input goes on in parts, it waits at the prompt instead, and
// goes on from there with the next part.
//
// Exit statuses: 0 when the user answers 0 at the replay prompt, 1 at the end
// of input or when reading fails, 2 when output cannot be written.
//
// For a front end that draws the dialogue rather than only its text, the
// dialogue also says which answers the waiting prompt takes
// (listPromptAnswers) and writes the summary line on its own
// (formatSummaryLine), and it states how much it may write for the input it
// is given (maxDialogueOutput), so that a fixed buffer always holds it.

#ifndef COMBO_COMBO_DIALOGUE_H_
#define COMBO_COMBO_DIALOGUE_H_

#include <cstddef>
#include <cstdint>

#include "console.h"
#include "link_table.h"

namespace combo {

inline constexpr int kStatusStopped = 0;       // the user answered 0
inline constexpr int kStatusInputEnded = 1;    // end of input, or read error
inline constexpr int kStatusOutputFailed = 2;  // a write failed
// Not an exit status: on a console whose input goes on, the input given so
// far has been used, and the dialogue waits for more where it stands.
inline constexpr int kStatusAwaitingInput = 3;

// The moves of one combo: slot 0 the starter, slot i the i-th follow-up. A
// combo uses each link at most once: on the game's table at most 31 links,
// 32 moves, and on a table of all kMaxLinks links at most 65 moves.
inline constexpr int32_t kComboPathSlots = kMaxLinks + 1;
struct ComboPath {
  int32_t moves[kComboPathSlots];
};

// The dialogue's texts in Shift_JIS, with the readable text above each and
// what it says in English below it (ASCII; the English of the menu lines is
// beside them in link_table.h). A front end may show the English beside the
// Japanese; README.md's table "What the texts say" holds the same pairs.
// "始動技を選んでください："
inline constexpr char kStarterPrompt[] =
    "\x8e\x6e\x93\xae\x8b\x5a\x82\xf0\x91\x49\x82\xf1\x82\xc5\x82\xad\x82\xbe"
    "\x82\xb3\x82\xa2\x81\x46";
inline constexpr char kStarterPromptInEnglish[] = "Choose the starter move:";
// "が、繋がります。", written after the moves listed: "6,7,が、繋がります。"
inline constexpr char kCanFollow[] =
    "\x82\xaa\x81\x41\x8c\x71\x82\xaa\x82\xe8\x82\xdc\x82\xb7\x81\x42";
inline constexpr char kCanFollowInEnglish[] = "can follow.";
// "次の技を選んでください："
inline constexpr char kNextMovePrompt[] =
    "\x8e\x9f\x82\xcc\x8b\x5a\x82\xf0\x91\x49\x82\xf1\x82\xc5\x82\xad\x82\xbe"
    "\x82\xb3\x82\xa2\x81\x46";
inline constexpr char kNextMovePromptInEnglish[] = "Choose the next move:";
// "それは無理です。"
inline constexpr char kImpossible[] =
    "\x82\xbb\x82\xea\x82\xcd\x96\xb3\x97\x9d\x82\xc5\x82\xb7\x81\x42";
inline constexpr char kImpossibleInEnglish[] =
    "That is impossible: that link is used up, or there is none.";
// "もう繋がりません。"
inline constexpr char kNoMoreLinks[] =
    "\x82\xe0\x82\xa4\x8c\x71\x82\xaa\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x42";
inline constexpr char kNoMoreLinksInEnglish[] = "Nothing can follow any more.";
// "そんな技はありません。"
inline constexpr char kNoSuchMove[] =
    "\x82\xbb\x82\xf1\x82\xc8\x8b\x5a\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9"
    "\x82\xf1\x81\x42";
inline constexpr char kNoSuchMoveInEnglish[] = "There is no such move.";
// "+1Zorvです。\n\n", written after the chain length: "8,7,6,7,4+1Zorvです。"
// is the chain, each move with a comma, then its length, then this text.
inline constexpr char kChainLengthTail[] = "+1Zorv\x82\xc5\x82\xb7\x81\x42\n\n";
// The same without its line breaks, and what it says in English.
inline constexpr char kChainLengthWords[] = "+1Zorv\x82\xc5\x82\xb7\x81\x42";
inline constexpr char kChainLengthWordsInEnglish[] =
    "+1Zorv: the chain, then its length.";
// "1,もう一回 0,もうやめる\n選択してください："
inline constexpr char kReplayPrompt[] =
    "1,\x82\xe0\x82\xa4\x88\xea\x89\xf1 0,\x82\xe0\x82\xa4\x82\xe2\x82\xdf\x82"
    "\xe9\n\x91\x49\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81"
    "\x46";
// Its two lines, each with what it says in English.
// "1,もう一回 0,もうやめる"
inline constexpr char kReplayPromptLine1[] =
    "1,\x82\xe0\x82\xa4\x88\xea\x89\xf1 0,\x82\xe0\x82\xa4\x82\xe2\x82\xdf\x82"
    "\xe9";
inline constexpr char kReplayPromptLine1InEnglish[] = "1 once more, 0 stop";
// "選択してください："
inline constexpr char kReplayPromptLine2[] =
    "\x91\x49\x91\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x46";
inline constexpr char kReplayPromptLine2InEnglish[] = "Please choose:";

// The answers the replay prompt names on its first line, in its order, with
// an English gloss: for a front end that offers them as buttons.
struct ReplayChoice {
  int32_t answer;
  const char* name;   // Shift_JIS, as in kReplayPrompt
  const char* gloss;  // ASCII
};
inline constexpr ReplayChoice kReplayChoices[] = {
    {1, "\x82\xe0\x82\xa4\x88\xea\x89\xf1", "once more"},     // "もう一回"
    {0, "\x82\xe0\x82\xa4\x82\xe2\x82\xdf\x82\xe9", "stop"},  // "もうやめる"
};

// The summary line of a combo, as the dialogue writes it after the combo
// ends (between a line break before it and two after it): the chain, each
// move followed by a comma, then its length, then kChainLengthWords, as in
// "8,7,6,7,4+1Zorvです。"; "0+1Zorvです。" for the empty chain. Shift_JIS.
// Room for the longest, and a NUL after it.
inline constexpr std::size_t kSummaryLineSize =
    2 * kComboPathSlots + 2 + sizeof kChainLengthWords;
static_assert(kComboPathSlots <= 99, "a chain length is at most two digits");

// Writes into line the summary line of the combo path.moves[0..length), a
// NUL after it, and returns its length without the NUL. The dialogue writes
// its summaries with this, and a front end that shows the line (the web
// edition's summary) takes it from here.
// REQUIRES: 0 <= length <= kComboPathSlots; path.moves[0..length) are moves.
std::size_t formatSummaryLine(const ComboPath& path, int32_t length,
                              char (&line)[kSummaryLineSize]);

// How much the dialogue may write for n bytes of input, at most. Before its
// first read it writes the menu and the starter prompt (116 + 24 bytes), and
// at the end of input one line break: kOutputUnread bytes. After each read
// it writes at most:
//   starter 0: "\n0+1Zorvです。\n\n", the replay prompt         16 + 42 =  58
//   starter 1 to 8: a listing of at most 6 moves, "が、繋がります。",
//     the next-move prompt                                 12 + 16 + 24 =  52
//   other starter or unreadable: "そんな技はありません。", the starter
//     prompt                                                    22 + 24 =  46
//   follow-up outside 0 to 8 or unreadable: "そんな技はありません。",
//     the listing again, the two texts                22 + 12 + 16 + 24 =  74
//   closed follow-up: "それは無理です。", the listing, the two texts  =  68
//   open follow-up: the next listing and the two texts (52), or at the end
//     of the chain "もう繋がりません。\n", the summary of at most 22 moves
//     and the replay prompt              19 + (1 + 44 + 2 + 14) + 42 = 122
//   replay answer not 0: the menu and the starter prompt      116 + 24 = 140
//   unreadable at the replay prompt: the replay prompt again             42
// Every read uses input. A number after a number needs white space or a
// sign between them, and whatever follows an unreadable run starts with the
// white space that ended it, so a read uses at least 2 bytes, except the
// first read and an unreadable run glued to a number ("7x"), which may use
// 1. The 140 bytes of a new combo are thus at least 4 bytes of input away
// from the previous ones: the most written per byte is the cycle "0 1 ",
// 58 + 140 = 198 bytes for every 4 bytes (49.5 a byte). The next best are
// "9x" at a listing of 6 moves, 74 + 74 bytes for 3 (49.3), and " 0 1x",
// 58 + 140 + 46 bytes for 5 (48.8); a chain writes less, its listings being
// short and its end coming after many reads. The first read may use a
// single byte, so the bound is kOutputUnread + 49.5 * (n + 1), which "0 1"
// and "0 1 0 1" reach exactly.
//
// A dialogue continued part by part (continueMemoryConsole) writes for each
// part at most the bound for that part's length: the part begins at a
// prompt, as the whole input does, and its first read writes no more than
// the menu and the starter prompt written before a whole input is read.
// The fuzz target checks both bounds.
inline constexpr std::size_t kNewComboOutput =
    sizeof kMenuLine1 + sizeof kMenuLine2 + sizeof kStarterPrompt - 1;
inline constexpr std::size_t kOutputUnread = kNewComboOutput + 1;
inline constexpr std::size_t kOutputCycle =
    (sizeof "\n0" - 1) + (sizeof kChainLengthTail - 1) +
    (sizeof kReplayPrompt - 1) + kNewComboOutput;
inline constexpr std::size_t kOutputCycleInput = sizeof "0 1 " - 1;
static_assert(kNewComboOutput == 140 && kOutputCycle == 198,
              "the texts' lengths, as the table above has them");

// Returns the most the dialogue may write for input bytes of input, as
// derived above: kOutputUnread + 49.5 * (input + 1), rounded down.
constexpr std::size_t maxDialogueOutput(std::size_t input) {
  return kOutputUnread + kOutputCycle * (input + 1) / kOutputCycleInput;
}

// One answer that a waiting prompt takes, as a front end offers it (a
// button): what to type, the move it names if it names one (a tap on that
// move answers it), and its name and gloss.
struct PromptAnswer {
  int32_t answer;     // the number to type
  int32_t move;       // the move kind it names, 1 to 8; 0 if none
  const char* name;   // Shift_JIS: a move's menu name or a replay choice's
                      // name; "" for the empty chain
  const char* gloss;  // ASCII
};
inline constexpr int32_t kMaxPromptAnswers = kMoveKinds + 1;
struct PromptAnswers {
  PromptAnswer answers[kMaxPromptAnswers];
  int32_t count;
};

// Where the dialogue stands: the current combo as far as it has got, and
// what comes next. runDialogue goes on from here and leaves it where it
// stopped, so the dialogue can be continued when more input comes, and a
// front end can draw the state of the combo (the links used, the current
// move) and offer the moves listed, without a second copy of the rules.
// runDialogue stops only where an answer is awaited (kStarter, kNextMove,
// kReplay) or at the end (kNothing); kComboStart and kListing are what it
// does next, before it reads.
enum class Waiting {
  kComboStart,  // a combo begins: nothing of it is written yet
  kStarter,     // the starter prompt waits for an answer
  kListing,     // the open follow-ups of the current move are to be listed
  kNextMove,    // the next-move prompt, after a listing, waits for an answer
  kReplay,      // the replay prompt, after the summary, waits for an answer
  kNothing,     // the user answered 0 to the replay prompt, or output failed
};
struct DialogueState {
  LinkTable table;    // the links every combo starts with, all open
  LinkTable links;    // the current combo's links, those used closed
  ComboPath path;     // its moves so far
  int32_t length;     // how many: 0 before a starter is taken
  int32_t current;    // the current move, 0 before a starter is taken
  Waiting waitingAt;  // what comes next
  // Where the current combo began: the console's inputPos and the output
  // written (memoryLength and what is buffered) at that moment. On a memory
  // console they are offsets into its input and its output, counted from
  // the start of the part (continueMemoryConsole). Every combo starts
  // afresh, so running a new dialogue on the input from comboInput on
  // writes what this run wrote from comboOutput on.
  std::size_t comboInput;
  std::size_t comboOutput;
  // Where the last answer taken began and ended: the console's inputPos
  // before the white space in front of it, and after it. An answer is taken
  // when it changes where the dialogue stands: a starter or 0 at the starter
  // prompt, a follow-up over an open link, a number at the replay prompt; an
  // answer refused changes nothing and leaves these as they were. Offsets as
  // comboInput's. A front end that takes back one answer at a time (the web
  // edition's undo) cuts its input at takenInput.
  std::size_t takenInput;
  std::size_t takenEnd;
  // The starter of the last combo before the current one that had a
  // starter, 0 if none: at the starter prompt, the starter just used.
  int32_t lastStarter;
};

// Sets *state to the very beginning of a dialogue on the game's link table
// (kInitialLinks), or on table: its first combo is to begin, and nothing is
// written yet, no answer taken and no starter used (lastStarter 0). Every
// combo starts with every link of that table open.
void startDialogue(DialogueState* state);
void startDialogue(DialogueState* state, const LinkTable& table);

// Lists into *out the answers that the prompt *state waits at takes, in the
// order to offer them: at the starter prompt every move, 1 to 8, and then 0
// (the empty chain); at the next-move prompt the follow-ups it lists, in
// its order; at the replay prompt the two answers it names (kReplayChoices);
// none where no prompt waits (the dialogue has ended, or has yet to write
// its prompt).
void listPromptAnswers(const DialogueState& state, PromptAnswers* out);

// Runs the dialogue on standard input and standard output until the user
// stops or the input ends, and returns the exit status: on the game's link
// table, or on table. A failed read or write is reported in one line on
// standard error ("combo: write error: No space left on device"). Input
// read ahead but not used is given back to a seekable standard input, for
// whatever reads it next.
int runDialogue();
int runDialogue(const LinkTable& table);

// Runs a new dialogue on *console and returns the exit status; everything
// written is flushed before it returns. Writes nothing to standard error.
int runDialogue(Console* console);

// Goes on with the dialogue from *state, answer by answer, on *console,
// until the user stops, the output fails or the input runs out, and leaves
// in *state where it stopped. Returns the exit status, as above; on a
// console whose input goes on (continueMemoryConsole), kStatusAwaitingInput
// when the part given has been used: the prompt is written, nothing more,
// and a call with the next part goes on from there. A dialogue that has
// ended (kNothing) reads and writes nothing more. Everything written is
// flushed before it returns.
// REQUIRES: *state was set by startDialogue and since then changed only by
// runDialogue on this console.
int runDialogue(Console* console, DialogueState* state);

}  // namespace combo

#endif  // COMBO_COMBO_DIALOGUE_H_
