// The console the dialogue talks through: decimal numbers read one at a time
// from a stream of bytes, and text written through one large buffer.
//
// Input is a file descriptor (standard input) or a span of bytes in memory;
// output is a file descriptor (standard output) or a byte array in memory.
// Either way the dialogue sees the same functions, so tests and the fuzzer
// can run it without starting a process.
//
// Output is flushed:
//   - before each number is read, when the output is a terminal, so a prompt
//     without a line break is on the screen while the program waits;
//   - before every read of the input descriptor, so a program that answers
//     each prompt through pipes never waits on output still in the buffer;
//   - whenever the buffer is full, and by finishOutput.
// Otherwise bytes stay in the buffer: a scripted session makes one write per
// 64 KiB of output, not one per prompt.
//
// After the first failed write the console drops all further output and
// reads nothing more: readNumber reports the end of input at once.
//
// A descriptor left non-blocking by another program is waited on (poll)
// whenever it is not ready, never given up on; its mode is left as it is.
//
// On Windows, output to a console window is converted from code page 932 to
// UTF-16 and written with WriteConsoleW, so the text is readable whatever the
// console's code page; each LF becomes CR LF. Output anywhere else (a file,
// a pipe, the NUL device) is the Shift_JIS bytes themselves, in text mode:
// CR LF on Windows, LF elsewhere.
//
// A memory console's input may also go on in parts (continueMemoryConsole),
// as a person types one line after another: the end of a part is reported
// as the end of input, and the reader, seeing inputGoesOn, waits for the
// next part instead of ending.
//
// A Console is plain data of fixed size with no allocation. Call one of the
// open functions before using it, and again to use it afresh: each forgets
// what the Console was used for before.

#ifndef COMBO_CONSOLE_H_
#define COMBO_CONSOLE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace combo {

inline constexpr std::size_t kInputBufferSize = 64 * 1024;
inline constexpr std::size_t kOutputBufferSize = 64 * 1024;

struct Console {
  // Input: bytes input[inputPos..inputLength) are read but not yet used.
  int inputFd;  // -1 when the input is a span in memory
  const char* input;
  std::size_t inputLength;
  std::size_t inputPos;
  bool inputEnded;   // end of input seen, or reading failed or was stopped
  bool inputGoesOn;  // the end seen is that of a part: more input may come
  int readError;     // errno of a failed read, 0 if none

  // Output: bytes waiting to be written.
  int outputFd;           // -1 when the output goes to memory
  bool outputIsTerminal;  // flush before each read
  bool outputIsConsole;   // a Windows console: converted to UTF-16
  bool leadByteHeld;      // console: heldLeadByte awaits its trail byte
  char heldLeadByte;
  char* memory;  // the memory sink and how much of it is used
  std::size_t memoryCapacity;
  std::size_t memoryLength;
  int writeError;  // errno of the first failed write, 0 if none
  std::size_t outputLength;

  char inputBuffer[kInputBufferSize];
  char outputBuffer[kOutputBufferSize];
};

// Sets *console to read from descriptor inputFd and write to descriptor
// outputFd, and finds out whether outputFd is a terminal. On Windows that
// means a console window (GetConsoleMode succeeds on its handle), and then
// the output is converted for it; the NUL device and pipes are not consoles.
// Also makes a closed pipe or a file-size limit fail a write (EPIPE, EFBIG)
// instead of ending the process by a signal.
void openFileConsole(Console* console, int inputFd, int outputFd);

// Sets *console to read the length bytes at input and to write into the
// capacity bytes at output; console->memoryLength then counts the bytes
// written. Writing past capacity fails as a full disk does (ENOSPC).
// REQUIRES: both arrays outlive the use of *console.
void openMemoryConsole(Console* console, const char* input, std::size_t length,
                       char* output, std::size_t capacity);

// Gives the memory console *console the next part of an input that goes on:
// the length bytes at input, read from their start. Bytes of the last part
// not used yet are dropped. From now on console->inputGoesOn is true: the
// end of this part is reported as the end of input, and the next call gives
// the part after it. The output starts afresh too: it is written into the
// same sink from its start, console->memoryLength counting only what is
// written from here on. A write that failed before stays failed.
// REQUIRES: *console was opened by openMemoryConsole, and what it was given
// to write has been flushed (finishOutput; runDialogue does it); the part
// ends with white space (a line break, say), so no number or word is cut in
// two; input outlives its use.
void continueMemoryConsole(Console* console, const char* input,
                           std::size_t length);

// What readNumber found.
enum class ReadResult {
  kNumber,      // a number was read
  kUnreadable,  // no number: a run of non-white-space bytes was discarded
  kEnd,         // end of input, a failed read, or output has failed
};

// The slow paths of readNumber, writeText and writeNumber below: reading
// byte by byte, refilling the input and flushing the output, and a number
// too long for the fast path. Not for callers.
namespace internal {
ReadResult readNumberSlowly(Console* console, int32_t* number);
void writeTextSlowly(Console* console, const char* text, std::size_t length);
void writeNumberSlowly(Console* console, int32_t number);
// White space as "%d" skips it in the C locale, and decimal digits.
inline bool isSpaceByte(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool isDigitByte(char c) { return c >= '0' && c <= '9'; }
}  // namespace internal

// Reads one decimal number in the manner of scanf's "%d": skips white space
// (space, \t, \n, \v, \f, \r), then takes an optional sign and a run of
// digits, and stops at the first byte that cannot continue the number,
// leaving it for the next read. A value beyond the 32-bit range saturates to
// INT32_MAX or INT32_MIN, so it is never mistaken for a small number.
//
// If, after white space, the next byte cannot begin a number, or a sign is
// not followed at once by a digit, the whole run of non-white-space bytes
// from there is discarded and kUnreadable is returned: reading always
// consumes input. *number is set only for kNumber.
//
// Inline, for a scripted session: when the output is not a terminal and the
// buffered input holds white space, then an unsigned number of at most nine
// digits (which cannot overflow) and the byte after it, the number is taken
// here; everything else (a sign, a long digit run, unreadable input, the end
// of the buffered input) is read byte by byte by the slow path.
inline ReadResult readNumber(Console* console, int32_t* number) {
  if (!console->outputIsTerminal && console->writeError == 0) {
    const char* next = console->input + console->inputPos;
    const char* end = console->input + console->inputLength;
    while (next != end && internal::isSpaceByte(*next)) ++next;
    console->inputPos = static_cast<std::size_t>(next - console->input);
    // Room for nine digits and the byte after them, and a first digit.
    if (end - next > 9 && internal::isDigitByte(*next)) {
      int32_t value = *next - '0';
      const char* after = next + 1;
      while (after - next < 9 && internal::isDigitByte(*after)) {
        value = value * 10 + (*after - '0');
        ++after;
      }
      if (!internal::isDigitByte(*after)) {
        console->inputPos = static_cast<std::size_t>(after - console->input);
        *number = value;
        return ReadResult::kNumber;
      }
    }
  }
  return internal::readNumberSlowly(console, number);
}

// Appends text to the output. The sized form takes a string literal and
// writes it without its terminating NUL.
//
// Both are inline: a text that fits in the buffer is one copy, of a length
// the compiler knows for a literal, with no call and no test beyond the room
// left; the prompts of a long scripted session cost a few moves each.
inline void writeText(Console* console, const char* text, std::size_t length) {
  if (length <= kOutputBufferSize - console->outputLength) {
    std::memcpy(console->outputBuffer + console->outputLength, text, length);
    console->outputLength += length;
  } else {
    internal::writeTextSlowly(console, text, length);
  }
}
template <std::size_t N>
void writeText(Console* console, const char (&text)[N]) {
  writeText(console, text, N - 1);
}

// Appends the first length bytes of block: for a short text of varying
// length put together in a fixed array. The whole array is copied, in moves
// of a size the compiler knows, and only its first length bytes are kept;
// the rest is never written out.
// REQUIRES: length <= N.
template <std::size_t N>
void writePrefix(Console* console, const char (&block)[N], std::size_t length) {
  if (N <= kOutputBufferSize - console->outputLength) {
    std::memcpy(console->outputBuffer + console->outputLength, block, N);
    console->outputLength += length;
  } else {
    internal::writeTextSlowly(console, block, length);
  }
}

// Appends number in ASCII decimal, with a '-' if it is negative. Inline for
// the one- and two-digit numbers of moves and chain lengths.
inline void writeNumber(Console* console, int32_t number) {
  if (number >= 0 && number <= 99 &&
      kOutputBufferSize - console->outputLength >= 2) {
    char* out = console->outputBuffer + console->outputLength;
    int32_t tens = number / 10;
    out[0] = static_cast<char>('0' + tens);
    out[tens > 0] = static_cast<char>('0' + number % 10);
    console->outputLength += 1 + (tens > 0);
  } else {
    internal::writeNumberSlowly(console, number);
  }
}

// Writes out everything buffered, and a lead byte held back for a Windows
// console as it is, to the same sink: the descriptor, or the memory of a
// memory console. Returns true iff every write so far has succeeded; after
// a failure console->writeError holds its errno.
bool finishOutput(Console* console);

// Gives back the input that was read ahead but not used, as C stdio does at
// exit: a seekable input descriptor (a file) is moved back to the first
// unused byte, so that whatever reads it next starts there. A pipe or a
// terminal cannot be moved back and stays as it is; a memory input is left
// alone. Call it once, when the dialogue has ended.
void returnUnusedInput(Console* console);

// Reads the start of the file at path into buffer: as many bytes as the file
// has, up to capacity. Returns the number of bytes read (capacity when the
// file holds that many or more), or -1 with *error set to the errno of the
// failure, when the file cannot be opened or read (a directory, say). Bytes
// are read as they are, in binary mode on Windows too.
long readFileStart(const char* path, char* buffer, std::size_t capacity,
                   int* error);

// Returns true iff the descriptor fd is a terminal: on Windows, a console
// window (not the NUL device, which the C runtime takes for one).
bool isTerminalDescriptor(int fd);

// Writes text[0..length) to the descriptor fd as it is, in one write, and
// lets a failure or a short write pass: for what the program can do
// without, such as a progress line on standard error. On POSIX systems it
// may be called from a signal handler (it is one write(2)).
void writeAside(int fd, const char* text, std::size_t length);

// Copies text into out as it may stand in a line on standard error: every
// byte outside printable ASCII (a line break, say) as '?', and cut short
// after its first `most` bytes, with "..." after them. Returns out.
// REQUIRES: capacity >= most + 4.
const char* shownOnOneLine(const char* text, std::size_t most, char* out,
                           std::size_t capacity);

// Output to a Windows console is converted from code page 932 to UTF-16 in
// pieces of at most kConsolePieceSize bytes, each made of whole characters,
// so no character is cut in two, wherever the buffer was flushed.
inline constexpr std::size_t kConsolePieceSize = 2048;

// Moves the next piece of console output into piece: the lead byte held
// back by the last call, if any, then bytes from the front of
// text[0..length). If the piece would end with a lead byte whose trail byte
// has not come yet, that byte is held back in *console for the next call
// instead. Returns the number of bytes in piece, all of them whole
// characters (0 is possible), and sets *taken to the number of bytes of text
// used, at least one when length > 0.
// REQUIRES: the output given so far began at a character boundary.
std::size_t takeConsolePiece(Console* console, const char* text,
                             std::size_t length,
                             char (&piece)[kConsolePieceSize],
                             std::size_t* taken);

}  // namespace combo

#endif  // COMBO_CONSOLE_H_
