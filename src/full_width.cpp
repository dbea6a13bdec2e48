#include "full_width.h"

#include <cstdint>

namespace combo {
namespace {

// The ASCII byte that the 3-byte UTF-8 sequence a b c stands for, or 0 if
// it is none of the characters rewritten. Full-width digits and signs are
// EF BC 8B to EF BC 99 (U+FF0B to U+FF19); the minus sign is E2 88 92, the
// ideographic space E3 80 80.
char narrowed(uint8_t a, uint8_t b, uint8_t c) {
  if (a == 0xef && b == 0xbc) {
    if (c >= 0x90 && c <= 0x99) return static_cast<char>('0' + (c - 0x90));
    if (c == 0x8b) return '+';
    if (c == 0x8d) return '-';
    return 0;
  }
  if (a == 0xe2 && b == 0x88 && c == 0x92) return '-';
  if (a == 0xe3 && b == 0x80 && c == 0x80) return ' ';
  return 0;
}

}  // namespace

std::size_t narrowFullWidth(char* text, std::size_t length) {
  std::size_t out = 0;
  std::size_t in = 0;
  while (in < length) {
    char ascii = 0;
    if (length - in >= 3) {
      ascii = narrowed(static_cast<uint8_t>(text[in]),
                       static_cast<uint8_t>(text[in + 1]),
                       static_cast<uint8_t>(text[in + 2]));
    }
    if (ascii != 0) {
      text[out++] = ascii;
      in += 3;
    } else {
      text[out++] = text[in++];
    }
  }
  return out;
}

}  // namespace combo
