#include "english.h"

#include <cstring>

namespace combo {
namespace {

// Bytes written into a fixed array, cut short when it is full.
struct Writer {
  char* out;
  std::size_t capacity;
  std::size_t length;
};

void put(Writer* w, char c) {
  if (w->length < w->capacity) w->out[w->length++] = c;
}

void putText(Writer* w, const char* text) {
  for (; *text != '\0'; ++text) put(w, *text);
}

bool isBlank(char c) { return c == ' ' || c == '\n'; }

// Returns the longest text of kTextsInEnglish that text[0..length) begins
// with, or nullptr if it begins with none.
const TextInEnglish* textAt(const char* text, std::size_t length) {
  const TextInEnglish* found = nullptr;
  std::size_t foundLength = 0;
  for (const TextInEnglish& known : kTextsInEnglish) {
    std::size_t n = std::strlen(known.text);
    if (n > foundLength && n <= length &&
        std::memcmp(text, known.text, n) == 0) {
      found = &known;
      foundLength = n;
    }
  }
  return found;
}

}  // namespace

std::size_t toEnglish(const char* text, std::size_t length, char* out,
                      std::size_t capacity) {
  EnglishReading reading;
  std::size_t read = 0;
  return toEnglishPart(text, length, false, &reading, out, capacity, &read);
}

std::size_t toEnglishPart(const char* text, std::size_t length, bool lineGoesOn,
                          EnglishReading* reading, char* out,
                          std::size_t capacity, std::size_t* read) {
  Writer w = {out, capacity, 0};
  // Where this part stops: a text that begins before there ends in it.
  std::size_t end = length;
  if (lineGoesOn) {
    end = length >= kLongestTextInEnglish ? length - (kLongestTextInEnglish - 1)
                                          : 0;
  }
  std::size_t i = 0;
  while (i < end) {
    const TextInEnglish* known = textAt(text + i, length - i);
    if (known != nullptr) {
      bool spaced = reading->last == '\0' || isBlank(reading->last);
      if (!spaced && known->english[0] != '+') put(&w, ' ');
      putText(&w, known->english);
      i += std::strlen(known->text);
      reading->afterEnglish = true;
    } else {
      char c = text[i++];
      if (reading->afterEnglish && !isBlank(c)) put(&w, ' ');
      put(&w, static_cast<unsigned char>(c) < 0x80 ? c : '?');
      reading->afterEnglish = false;
    }
    if (w.length > 0) reading->last = w.out[w.length - 1];
  }
  *read = i;
  return w.length;
}

}  // namespace combo
