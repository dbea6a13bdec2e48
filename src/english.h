// The dialogue's output read in English, for a front end that shows the
// English under each Japanese line (the web edition).
//
// Every text the dialogue writes is listed here with what it says in
// English; the English itself is held beside the Shift_JIS texts, in
// combo_dialogue.h and link_table.h. A line of output reads in English with
// each text put in English and the move numbers, commas and other ASCII
// between the texts kept as they are:
//   "6,7,が、繋がります。次の技を選んでください："
// reads
//   "6,7, can follow. Choose the next move:"

#ifndef COMBO_ENGLISH_H_
#define COMBO_ENGLISH_H_

#include <cstddef>

#include "combo_dialogue.h"
#include "link_table.h"

namespace combo {

// A text of the dialogue, one line at most, and what it says.
struct TextInEnglish {
  const char* text;     // Shift_JIS
  const char* english;  // ASCII
};

// Every text the dialogue writes, the two prompts with line breaks taken
// line by line, in the order of README.md's table "What the texts say",
// which lists the same pairs; a test keeps the two the same.
inline constexpr TextInEnglish kTextsInEnglish[] = {
    {kMenuLine1, kMenuLine1InEnglish},
    {kMenuLine2, kMenuLine2InEnglish},
    {kStarterPrompt, kStarterPromptInEnglish},
    {kCanFollow, kCanFollowInEnglish},
    {kNextMovePrompt, kNextMovePromptInEnglish},
    {kImpossible, kImpossibleInEnglish},
    {kNoMoreLinks, kNoMoreLinksInEnglish},
    {kNoSuchMove, kNoSuchMoveInEnglish},
    {kChainLengthWords, kChainLengthWordsInEnglish},
    {kReplayPromptLine1, kReplayPromptLine1InEnglish},
    {kReplayPromptLine2, kReplayPromptLine2InEnglish},
};

// Writes into out the English of the Shift_JIS output text[0..length), a
// line or more: each text of kTextsInEnglish found in it (the longest, where
// two begin at the same byte) is put in English, and every other byte is
// kept as it is, but for a byte outside ASCII, which becomes '?'. A space
// separates an English text from the character beside it, unless that is a
// space or a line break already, or the English begins with '+' (it goes on
// from the number before it: "4+1Zorv: ..."). Returns the number of bytes
// written; English that does not fit in capacity bytes is cut short there.
std::size_t toEnglish(const char* text, std::size_t length, char* out,
                      std::size_t capacity);

}  // namespace combo

#endif  // COMBO_ENGLISH_H_
