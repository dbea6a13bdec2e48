// Answers as a phone's Japanese input method types them, read as the
// console reads ASCII.
//
// An input method on a phone types digits, signs and spaces full-width
// (０ to ９, ＋, －, the ideographic space), and some type the minus sign
// (−) for a hyphen. The web edition reads such an answer as the ASCII one
// it stands for, so that "８" answers 8. The console program does not: a
// script or a terminal gives it ASCII, and it reads any other bytes as text,
// as its transcripts and README.md say. Only the characters named here
// change; every other byte is kept as it is.

#ifndef COMBO_FULL_WIDTH_H_
#define COMBO_FULL_WIDTH_H_

#include <cstddef>

namespace combo {

// Rewrites the UTF-8 text[0..length) in place: each of U+FF10 to U+FF19
// (full-width digits) becomes '0' to '9', U+FF0B '+', U+FF0D and U+2212
// (minus sign) '-', and U+3000 (ideographic space) ' '. Every other byte,
// including bytes that are not well-formed UTF-8 and a sequence cut short
// at the end, is kept. Returns the new length, which is never more than
// length: each character rewritten shrinks from 3 bytes to 1.
// REQUIRES: text[0..length) is writable (text may be null if length is 0).
std::size_t narrowFullWidth(char* text, std::size_t length);

}  // namespace combo

#endif  // COMBO_FULL_WIDTH_H_
