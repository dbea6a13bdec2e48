#include "cp932.h"

#include <iterator>

namespace combo {
namespace {

struct ByteRange {
  unsigned char first;
  unsigned char last;
};

// The lead bytes of code page 932, as Windows' own table for it has them
// (the Windows tests check each byte against IsDBCSLeadByteEx(932, b)).
// 0x80, 0xA0 and 0xFD-0xFF stand alone, and 0xA1-0xDF are the half-width
// katakana, one byte each. Another double-byte code page would need its own
// ranges here.
constexpr ByteRange kLeadByteRanges[] = {
    {0x81, 0x9F},
    {0xE0, 0xFC},
};
static_assert(std::size(kLeadByteRanges) == 2, "two runs of lead bytes");

}  // namespace

bool isCp932LeadByte(unsigned char byte) {
  for (const ByteRange& range : kLeadByteRanges) {
    if (byte >= range.first && byte <= range.last) return true;
  }
  return false;
}

std::size_t wholeCp932Length(const char* bytes, std::size_t length) {
  std::size_t at = 0;  // always a character boundary
  while (at < length) {
    if (!isCp932LeadByte(static_cast<unsigned char>(bytes[at]))) {
      ++at;
    } else if (length - at >= 2) {
      at += 2;
    } else {
      return at;  // a lead byte whose trail byte has not come yet
    }
  }
  return length;
}

}  // namespace combo
