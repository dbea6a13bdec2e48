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

// The longest text of kTextsInEnglish, in bytes.
inline constexpr std::size_t kLongestTextInEnglish = [] {
  std::size_t most = 0;
  for (const TextInEnglish& known : kTextsInEnglish) {
    std::size_t n = 0;
    while (known.text[n] != '\0') ++n;
    if (n > most) most = n;
  }
  return most;
}();

// Where the English of a line stands between two of its parts
// (toEnglishPart). A line's first part starts from EnglishReading{}.
struct EnglishReading {
  char last = '\0';           // the last byte written, '\0' before the first
  bool afterEnglish = false;  // what was read last was put in English
};

// The English of a line too long to be read at once, a part at a time: the
// parts' English joined is toEnglish's of the whole line. Reads the part
// text[0..length) on from *reading, writes its English into out, and leaves
// *reading where it stopped. Where the line goes on after this part
// (lineGoesOn), it stops before the last kLongestTextInEnglish - 1 bytes,
// which might begin a text that the next part ends, so no text is cut in
// two; the next part begins with the bytes not read. Sets *read to the bytes
// read and returns the number written, cut short at capacity as toEnglish's.
// REQUIRES: length >= kLongestTextInEnglish where lineGoesOn, so that every
// part but the last reads something.
std::size_t toEnglishPart(const char* text, std::size_t length, bool lineGoesOn,
                          EnglishReading* reading, char* out,
                          std::size_t capacity, std::size_t* read);

}  // namespace combo

#endif  // COMBO_ENGLISH_H_
