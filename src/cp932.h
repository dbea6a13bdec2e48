// Character boundaries in code page 932, Windows' Shift_JIS, the encoding of
// every text the program writes.
//
// A character is one byte (ASCII, and the half-width katakana 0xA1-0xDF) or
// two: a lead byte, then a trail byte. Trail bytes (0x40-0x7E, 0x80-0xFC)
// overlap the lead bytes, so a byte can be judged only by walking to it from
// a known character boundary, never on its own: in "も" (0x82 0xE0) the 0xE0
// is a trail byte, though 0xE0 also begins characters.
//
// Used to convert output for a Windows console piece by piece without
// cutting a character in two. Plain code, the same on every platform.

#ifndef COMBO_CP932_H_
#define COMBO_CP932_H_

#include <cstddef>

namespace combo {

// Returns true iff byte begins a two-byte character of code page 932 when it
// stands at a character boundary.
bool isCp932LeadByte(unsigned char byte);

// Returns how many bytes at the front of bytes[0..length) are whole
// characters: length, or length - 1 when the last character is cut short,
// that is when its lead byte is the last byte. A lead byte followed by any
// byte counts as a whole character, so bytes that are not valid code page
// 932 are never held back for good.
// REQUIRES: bytes begins at a character boundary.
std::size_t wholeCp932Length(const char* bytes, std::size_t length);

}  // namespace combo

#endif  // COMBO_CP932_H_
