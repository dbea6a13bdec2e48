// Text converted between encodings with the C library's iconv, for tests
// that compare the program's Shift_JIS bytes with readable text. POSIX only.

#ifndef COMBO_TESTS_ICONV_TEXT_H_
#define COMBO_TESTS_ICONV_TEXT_H_

#include <iconv.h>

#include <optional>
#include <string>

namespace combo {

// Returns bytes converted from encoding `from` to encoding `to` (iconv's
// names), or nothing if they are not whole, valid characters of `from` or
// iconv does not know the encodings. REQUIRES: the result fits in 64 KiB.
inline std::optional<std::string> convertText(const std::string& bytes,
                                              const char* from,
                                              const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string in = bytes;
  static char out[64 * 1024];
  char* inPtr = in.data();
  char* outPtr = out;
  size_t inLeft = in.size();
  size_t outLeft = sizeof out;
  size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
  return std::string(out, outPtr);
}

}  // namespace combo

#endif  // COMBO_TESTS_ICONV_TEXT_H_
