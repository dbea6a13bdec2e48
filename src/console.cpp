#include "console.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>

#include "cp932.h"

// The only place where the program talks to the operating system: reading,
// writing, terminal detection, waiting on a descriptor, moving back in a
// file, and output to a Windows console window. On Windows these are the C
// runtime's names; its descriptors stay in text mode, so each LF written to
// a file or pipe goes out as CR LF.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace combo {
namespace {

#ifdef _WIN32
using IoResult = int;

int openToRead(const char* path) { return _open(path, _O_RDONLY | _O_BINARY); }
int closeFile(int fd) { return _close(fd); }

// The Windows errors a read or write meets in practice, each with the errno
// whose text the Linux build prints for the same cause. The C runtime maps
// some of them to EINVAL ("Invalid argument"): ERROR_NO_DATA is what writing
// to a pipe whose reader has gone gives. Other errors keep the runtime's
// errno. To name another cause, add a row.
struct ErrorName {
  DWORD windowsError;
  int errnoValue;
};
constexpr ErrorName kErrorNames[] = {
    {ERROR_BROKEN_PIPE, EPIPE},         // the other end has closed the pipe
    {ERROR_NO_DATA, EPIPE},             // "the pipe is being closed"
    {ERROR_PIPE_NOT_CONNECTED, EPIPE},  // no process at the other end
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_INVALID_HANDLE, EBADF},
    // A handle that cannot be read or written: under Wine, the standard
    // input of a program started with it closed.
    {ERROR_INVALID_FUNCTION, EBADF},
};
static_assert(std::size(kErrorNames) == 7, "one row per error");

// Returns the errno for Windows error code error, or fallback if the table
// does not name it.
int errnoOf(DWORD error, int fallback) {
  for (const ErrorName& name : kErrorNames) {
    if (name.windowsError == error) return name.errnoValue;
  }
  return fallback;
}

// After a failed _read or _write: the errno for the Windows error behind it
// (_doserrno, 0 when the runtime itself refused), else the runtime's errno.
IoResult failed(IoResult result) {
  errno = errnoOf(_doserrno, errno);
  return result;
}

IoResult readSome(int fd, char* buffer, std::size_t size) {
  IoResult n = _read(fd, buffer, static_cast<unsigned>(size));
  return n < 0 ? failed(n) : n;
}
IoResult writeSome(int fd, const char* buffer, std::size_t size) {
  IoResult n = _write(fd, buffer, static_cast<unsigned>(size));
  return n < 0 ? failed(n) : n;
}

// True iff fd is a console window. _isatty is also true for the NUL device
// and for some pipes, which take bytes as they are.
bool isConsole(int fd) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}
bool isTerminal(int fd) { return isConsole(fd); }

// Writes size bytes of whole code page 932 characters to the console fd as
// UTF-16, each LF as CR LF. Returns 0, or the errno of the failure. Leaves
// the console's code page alone: a change would outlive the program.
int writeConsolePiece(int fd, const char* piece, std::size_t size) {
  if (size == 0) return 0;
  wchar_t wide[kConsolePieceSize];  // a character is at most one unit
  int units = MultiByteToWideChar(932, 0, piece, static_cast<int>(size), wide,
                                  static_cast<int>(std::size(wide)));
  if (units <= 0) return errnoOf(GetLastError(), EILSEQ);
  wchar_t lines[2 * kConsolePieceSize];
  DWORD count = 0;
  for (int i = 0; i < units; ++i) {
    if (wide[i] == L'\n') lines[count++] = L'\r';
    lines[count++] = wide[i];
  }
  HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  const wchar_t* next = lines;
  while (count > 0) {
    DWORD written = 0;
    if (!WriteConsoleW(console, next, count, &written, nullptr)) {
      return errnoOf(GetLastError(), EIO);
    }
    if (written == 0) return EIO;
    next += written;
    count -= written;
  }
  return 0;
}
// Windows descriptors have no non-blocking mode to wait out.
bool waitUntilReady(int, bool) { return false; }
// Text mode turns CR LF into LF as it reads, so the bytes left in the buffer
// do not tell how far to move back in the file: leave it where it is.
void moveBack(int, std::size_t) {}
#else
using IoResult = ssize_t;

int openToRead(const char* path) { return open(path, O_RDONLY | O_CLOEXEC); }
int closeFile(int fd) { return close(fd); }
IoResult readSome(int fd, char* buffer, std::size_t size) {
  return read(fd, buffer, size);
}
IoResult writeSome(int fd, const char* buffer, std::size_t size) {
  return write(fd, buffer, size);
}
bool isTerminal(int fd) { return isatty(fd) != 0; }
// Waits, for as long as it takes, until fd can be written (forWriting) or
// read. Returns false if the wait itself failed. A descriptor that was hung
// up or failed counts as ready: the next read or write reports it.
bool waitUntilReady(int fd, bool forWriting) {
  pollfd ready = {fd, static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
  for (;;) {
    if (poll(&ready, 1, -1) >= 0) return true;
    if (errno != EINTR) return false;
  }
}
// Moves fd back by count bytes. Fails quietly on a pipe or a terminal,
// which cannot be moved back: what was read there is gone, as with stdio.
void moveBack(int fd, std::size_t count) {
  lseek(fd, -static_cast<off_t>(count), SEEK_CUR);
}
// A POSIX terminal takes the bytes as they are: it is never a console
// that needs converted text, and writeConsolePiece is never called.
bool isConsole(int) { return false; }
int writeConsolePiece(int, const char*, std::size_t) { return ENOTTY; }
#endif

// Whether a read or write that failed with error may succeed if tried again:
// after a signal, or once a non-blocking descriptor is ready, which this
// waits for. Another program may have left standard input or output
// non-blocking; the descriptor is shared, so its mode is left alone.
bool mayRetry(int error, int fd, bool forWriting) {
  if (error == EINTR) return true;
  if (error == EAGAIN || error == EWOULDBLOCK) {
    return waitUntilReady(fd, forWriting);
  }
  return false;
}

// Writes all size bytes to fd. Returns 0, or the errno of the failure.
int writeAll(int fd, const char* buffer, std::size_t size) {
  while (size > 0) {
    IoResult n = writeSome(fd, buffer, size);
    if (n > 0) {
      buffer += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n == 0) return EIO;
    int error = errno;
    if (!mayRetry(error, fd, true)) return error;
  }
  return 0;
}

// Writes size bytes of output to the Windows console fd, converted piece by
// piece; a character cut at the end waits in *c for the rest. Returns 0, or
// the errno of the failure.
int writeConsoleText(Console* c, const char* text, std::size_t size) {
  char piece[kConsolePieceSize];
  while (size > 0) {
    std::size_t taken = 0;
    std::size_t length = takeConsolePiece(c, text, size, piece, &taken);
    text += taken;
    size -= taken;
    int error = writeConsolePiece(c->outputFd, piece, length);
    if (error != 0) return error;
  }
  return 0;
}

// Writes size bytes as they are to the sink of *c: its descriptor, or its
// memory, which fails as a full disk does when they do not fit. Returns 0,
// or the errno of the failure.
int writeToSink(Console* c, const char* bytes, std::size_t size) {
  if (c->outputFd >= 0) return writeAll(c->outputFd, bytes, size);
  if (size > c->memoryCapacity - c->memoryLength) return ENOSPC;
  std::memcpy(c->memory + c->memoryLength, bytes, size);
  c->memoryLength += size;
  return 0;
}

// Hands the buffered output to its sink and empties the buffer. Returns
// false if this or any earlier write failed; failed output is dropped.
bool flushBuffer(Console* c) {
  std::size_t length = c->outputLength;
  c->outputLength = 0;
  if (c->writeError != 0) return false;
  if (length == 0) return true;
  if (c->outputIsConsole) {
    c->writeError = writeConsoleText(c, c->outputBuffer, length);
  } else {
    c->writeError = writeToSink(c, c->outputBuffer, length);
  }
  return c->writeError == 0;
}

// Makes at least one unread input byte available and returns true, or
// returns false at the end of input. Output is flushed before the program
// can block in a read; once output has failed, nothing more is read.
bool fillInput(Console* c) {
  if (c->inputPos < c->inputLength) return true;
  if (c->inputEnded) return false;
  if (c->inputFd < 0 || !flushBuffer(c)) {
    c->inputEnded = true;
    return false;
  }
  for (;;) {
    IoResult n = readSome(c->inputFd, c->inputBuffer, kInputBufferSize);
    if (n > 0) {
      c->input = c->inputBuffer;
      c->inputLength = static_cast<std::size_t>(n);
      c->inputPos = 0;
      return true;
    }
    if (n < 0) {
      int error = errno;
      if (mayRetry(error, c->inputFd, false)) continue;
      c->readError = error;
    }
    c->inputEnded = true;
    return false;
  }
}

// Returns the next input byte without using it, or -1 at the end of input.
inline int peekByte(Console* c) {
  if (c->inputPos == c->inputLength && !fillInput(c)) return -1;
  return static_cast<unsigned char>(c->input[c->inputPos]);
}

// White space as "%d" skips it in the C locale.
inline bool isSpace(int ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }

inline bool isDigit(int ch) { return ch >= '0' && ch <= '9'; }

// Uses up bytes up to the next white space or the end of input.
void discardRun(Console* c) {
  for (int ch = peekByte(c); ch >= 0 && !isSpace(ch); ch = peekByte(c)) {
    ++c->inputPos;
  }
}

// Forgets whatever *c was used for before: positions, the end of input,
// errors, a held byte. What the buffers hold does not matter.
void startAfresh(Console* c) {
  c->input = nullptr;
  c->inputLength = 0;
  c->inputPos = 0;
  c->inputEnded = false;
  c->inputGoesOn = false;
  c->readError = 0;
  c->outputIsTerminal = false;
  c->outputIsConsole = false;
  c->leadByteHeld = false;
  c->memory = nullptr;
  c->memoryCapacity = 0;
  c->memoryLength = 0;
  c->writeError = 0;
  c->outputLength = 0;
}

}  // namespace

void openFileConsole(Console* console, int inputFd, int outputFd) {
  startAfresh(console);
  console->inputFd = inputFd;
  console->outputFd = outputFd;
  console->outputIsTerminal = isTerminal(outputFd);
  console->outputIsConsole = isConsole(outputFd);
  // A reader that goes away, or a file-size limit, must make the write fail
  // with EPIPE or EFBIG, which is reported, rather than end the process
  // without a word.
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

void openMemoryConsole(Console* console, const char* input, std::size_t length,
                       char* output, std::size_t capacity) {
  startAfresh(console);
  console->inputFd = -1;
  console->input = input;
  console->inputLength = length;
  console->outputFd = -1;
  console->memory = output;
  console->memoryCapacity = capacity;
}

void continueMemoryConsole(Console* console, const char* input,
                           std::size_t length) {
  console->input = input;
  console->inputLength = length;
  console->inputPos = 0;
  console->inputEnded = false;
  console->inputGoesOn = true;
  console->memoryLength = 0;
}

namespace internal {

ReadResult readNumberSlowly(Console* console, int32_t* number) {
  if (console->outputIsTerminal) flushBuffer(console);
  if (console->writeError != 0) {
    console->inputEnded = true;
    return ReadResult::kEnd;
  }
  int ch = peekByte(console);
  while (ch >= 0 && isSpace(ch)) {
    ++console->inputPos;
    ch = peekByte(console);
  }
  if (ch < 0) return ReadResult::kEnd;

  bool negative = false;
  if (ch == '+' || ch == '-') {
    negative = ch == '-';
    ++console->inputPos;
    ch = peekByte(console);
  }
  if (!isDigit(ch)) {
    discardRun(console);
    return ReadResult::kUnreadable;
  }
  const int64_t limit = negative ? -int64_t{INT32_MIN} : int64_t{INT32_MAX};
  int64_t magnitude = 0;
  do {
    magnitude = magnitude * 10 + (ch - '0');
    if (magnitude > limit) magnitude = limit;
    ++console->inputPos;
    ch = peekByte(console);
  } while (isDigit(ch));
  *number = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return ReadResult::kNumber;
}

void writeTextSlowly(Console* console, const char* text, std::size_t length) {
  while (length > 0) {
    if (console->outputLength == kOutputBufferSize && !flushBuffer(console)) {
      return;
    }
    std::size_t room = kOutputBufferSize - console->outputLength;
    std::size_t part = length < room ? length : room;
    std::memcpy(console->outputBuffer + console->outputLength, text, part);
    console->outputLength += part;
    text += part;
    length -= part;
  }
}

void writeNumberSlowly(Console* console, int32_t number) {
  char digits[12];  // "-2147483648" is 11 bytes
  std::size_t start = sizeof digits;
  int64_t rest = number < 0 ? -int64_t{number} : int64_t{number};
  do {
    digits[--start] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest > 0);
  if (number < 0) digits[--start] = '-';
  writeText(console, digits + start, sizeof digits - start);
}

}  // namespace internal

bool finishOutput(Console* console) {
  if (!flushBuffer(console)) return false;
  if (console->leadByteHeld) {
    // Its trail byte never came: the byte goes out as it is.
    console->leadByteHeld = false;
    console->writeError = writeToSink(console, &console->heldLeadByte, 1);
  }
  return console->writeError == 0;
}

std::size_t takeConsolePiece(Console* console, const char* text,
                             std::size_t length,
                             char (&piece)[kConsolePieceSize],
                             std::size_t* taken) {
  std::size_t size = 0;
  if (console->leadByteHeld) {
    piece[size++] = console->heldLeadByte;
    console->leadByteHeld = false;
  }
  std::size_t part =
      length < kConsolePieceSize - size ? length : kConsolePieceSize - size;
  std::memcpy(piece + size, text, part);
  size += part;
  *taken = part;
  std::size_t whole = wholeCp932Length(piece, size);
  if (whole < size) {
    console->heldLeadByte = piece[whole];
    console->leadByteHeld = true;
  }
  return whole;
}

long readFileStart(const char* path, char* buffer, std::size_t capacity,
                   int* error) {
  int fd = openToRead(path);
  if (fd < 0) {
    *error = errno;
    return -1;
  }
  std::size_t length = 0;
  while (length < capacity) {
    IoResult n = readSome(fd, buffer + length, capacity - length);
    if (n > 0) {
      length += static_cast<std::size_t>(n);
    } else if (n == 0) {
      break;
    } else {
      int failure = errno;
      if (mayRetry(failure, fd, false)) continue;
      *error = failure;
      closeFile(fd);
      return -1;
    }
  }
  closeFile(fd);
  return static_cast<long>(length);
}

bool isTerminalDescriptor(int fd) { return isTerminal(fd); }

void writeAside(int fd, const char* text, std::size_t length) {
  IoResult written = writeSome(fd, text, length);
  static_cast<void>(written);  // nothing to be done about a failure
}

const char* shownOnOneLine(const char* text, std::size_t most, char* out,
                           std::size_t capacity) {
  std::size_t length = 0;
  for (; text[length] != '\0' && length < most && length + 4 <= capacity;
       ++length) {
    unsigned char c = static_cast<unsigned char>(text[length]);
    out[length] = c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
  }
  if (text[length] != '\0') {
    std::memcpy(out + length, "...", 3);
    length += 3;
  }
  out[length] = '\0';
  return out;
}

void returnUnusedInput(Console* console) {
  std::size_t unused = console->inputLength - console->inputPos;
  if (console->inputFd >= 0 && unused > 0) {
    moveBack(console->inputFd, unused);
    console->inputLength = console->inputPos;
  }
}

}  // namespace combo
