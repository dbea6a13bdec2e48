#include "combo_atlas.h"

#include <cstdio>
#include <cstring>

namespace combo {
namespace {

// How many entries of table are open links.
constexpr int32_t countOpenLinks(const LinkTable& table) {
  int32_t count = 0;
  for (const LinkRow& row : table.rows) {
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      if (row.entries[j] != 0) ++count;
    }
  }
  return count;
}

// runAtlas hands the game's table to startAtlasSearch without a fallback.
static_assert(countOpenLinks(kInitialLinks) <= kMaxAtlasLinks,
              "the game's links must fit in one 32-bit set");

// What can still follow from one state: the complete combos from there, and
// the fewest and most further links in one (0 when the combo ends here).
struct Rest {
  uint64_t combos;
  int32_t fewest;
  int32_t most;
};

// The slot where the state (move, used) is remembered, if it is. States met
// one after another differ in a few links, that is in a few low bits of the
// key; multiplying by 2^64 divided by the golden ratio and keeping the top
// bits spreads such keys over the whole table.
AtlasMemoSlot* slotFor(AtlasSearch* search, int32_t move, uint32_t used) {
  uint64_t key = (uint64_t{used} << 3) | static_cast<uint64_t>(move - 1);
  uint64_t hash = key * uint64_t{0x9E3779B97F4A7C15};
  return &search->memo[hash >> (64 - kAtlasMemoBits)];
}

// Works out what can still follow after the links `used` at move `move`.
// Recursion goes at most one level per link, so at most 33 levels deep.
Rest restFrom(AtlasSearch* search, int32_t move, uint32_t used) {
  const LinkBits& links = search->links;
  // A state with nothing open is the most common of all and costs less to
  // answer than to look up.
  if ((links.leaving[move - 1] & ~used) == 0) return {1, 0, 0};

  AtlasMemoSlot* slot = slotFor(search, move, used);
  if (slot->move == move && slot->used == used) {
    return {slot->combos, slot->fewest, slot->most};
  }
  Rest sum = {0, INT32_MAX, 0};
  for (int32_t i = links.firstLink[move - 1]; i < links.firstLink[move]; ++i) {
    uint32_t link = uint32_t{1} << i;
    if ((used & link) != 0) continue;
    Rest next = restFrom(search, links.target[i], used | link);
    sum.combos = internal::addSaturating(sum.combos, next.combos);
    if (next.fewest + 1 < sum.fewest) sum.fewest = next.fewest + 1;
    if (next.most + 1 > sum.most) sum.most = next.most + 1;
  }
  // Whatever the slot held, perhaps a state stored by the recursion just
  // now, the newest state takes it: states recur mostly soon after they are
  // first met, within the same subtree.
  slot->used = used;
  slot->move = static_cast<uint8_t>(move);
  slot->fewest = static_cast<uint8_t>(sum.fewest);
  slot->most = static_cast<uint8_t>(sum.most);
  slot->combos = sum.combos;
  return sum;
}

// Writes into out[0..links) the moves after `move` of the first combo, in
// ascending order of move numbers, that goes on from (move, used) for
// `links` more links: at each step the smallest follow-up from which the
// rest can still be that long. Trying the follow-ups in ascending order and
// keeping the first that can makes the whole chain the first of the longest.
// Those states were just worked out, so most of them are still remembered.
// REQUIRES: restFrom(search, move, used).most == links.
void followLongest(AtlasSearch* search, int32_t move, uint32_t used,
                   int32_t links, int32_t* out) {
  const LinkBits& bits = search->links;
  for (int32_t n = 0; n < links; ++n) {
    int32_t linksWanted = links - n;  // this one included
    for (int32_t i = bits.firstLink[move - 1]; i < bits.firstLink[move]; ++i) {
      uint32_t link = uint32_t{1} << i;
      if ((used & link) != 0) continue;
      if (restFrom(search, bits.target[i], used | link).most + 1 ==
          linksWanted) {
        move = bits.target[i];
        used |= link;
        break;
      }
    }
    out[n] = move;
  }
}

// The number of link i from move to next in search's table, or -1 if it
// has no such link.
int32_t linkBetween(const LinkBits& links, int32_t move, int32_t next) {
  for (int32_t i = links.firstLink[move - 1]; i < links.firstLink[move]; ++i) {
    if (links.target[i] == next) return i;
  }
  return -1;
}

// How many links a state has used; C++17 has no std::popcount.
int32_t countLinks(uint32_t used) {
  int32_t count = 0;
  for (; used != 0; used &= used - 1) ++count;
  return count;
}

bool isMove(int32_t number) {
  return number >= kFirstMove && number <= kLastMove;
}

// Writes moves[0..count) joined by commas.
void writeMoves(Console* console, const int32_t* moves, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0) writeText(console, ",");
    writeNumber(console, moves[i]);
  }
}

// Writes "FIRST\tCOMBOS\tSHORTEST\tLONGEST\t", the start of an output line.
void writeFigures(Console* console, int32_t first, uint64_t combos,
                  int32_t shortest, int32_t longest) {
  writeNumber(console, first);
  writeText(console, "\t");
  internal::writeCount(console, combos);
  writeText(console, "\t");
  writeNumber(console, shortest);
  writeText(console, "\t");
  writeNumber(console, longest);
  writeText(console, "\t");
}

// The game's table, ready to search. Static storage: about 1 MiB, too much
// for the stack on some systems.
AtlasSearch* gameSearch() {
  static AtlasSearch search;
  LinkTable links;
  resetLinks(&links);
  // Cannot fail: the game's links fit (checked at compile time above).
  startAtlasSearch(&search, links);
  return &search;
}

// Reads word as a move number: decimal digits only, at least one. Returns
// false if it is not one. A number of more than four digits is read as
// 1000 or more, outside every range, without overflow.
bool readMoveNumber(const char* word, int32_t* number) {
  if (*word == '\0') return false;
  int32_t value = 0;
  for (const char* c = word; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
    if (value < 1000) value = value * 10 + (*c - '0');
  }
  *number = value;
  return true;
}

// The argument at `place` (1 for the starter) could not be taken because of
// `reason`: sets the error line of *command.
void badArgument(AtlasCommand* command, int32_t place, const char* word,
                 const char* reason) {
  // The word as written, but on one line of printable ASCII and short.
  constexpr std::size_t kShown = 24;
  char shown[kShown + sizeof "..."];
  std::size_t length = 0;
  for (; word[length] != '\0' && length < kShown; ++length) {
    unsigned char c = static_cast<unsigned char>(word[length]);
    shown[length] = c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
  }
  if (word[length] != '\0') {
    std::memcpy(shown + length, "...", 3);
    length += 3;
  }
  shown[length] = '\0';
  command->request = AtlasRequest::kBadArgument;
  std::snprintf(command->error, sizeof command->error,
                "combo-atlas: move %d (%s): %s\n", static_cast<int>(place),
                shown, reason);
}

bool isHelp(const char* word) {
  return std::strcmp(word, "-h") == 0 || std::strcmp(word, "--help") == 0;
}

// Returns the index in argv[1..argc) of the first "--", which ends the
// options, or argc if there is none.
int endOfOptions(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) return i;
  }
  return argc;
}

constexpr char kUsage[] =
    "usage: combo-atlas [--] [MOVE...]\n"
    "\n"
    "Without MOVE: for each starter 1 to 8, the complete combos that begin\n"
    "with it: how many, the fewest and the most moves, the first longest.\n"
    "\n"
    "With MOVE...: a combo begun, as the dialogue accepts it (a starter 1 to\n"
    "8, then follow-ups over links still open), and the same figures for\n"
    "the complete combos that go on from it, one line for each next move.\n"
    "\n"
    "-h or --help writes this text. \"--\" ends the options: every argument\n"
    "after it is a move, even -h.\n"
    "\n"
    "Output: lines of ASCII fields separated by tabs, after a header line.\n"
    "Exit status: 0 when done, 1 for a bad argument, 2 if the output\n"
    "cannot be written. See combo-atlas(1).\n";

}  // namespace

bool startAtlasSearch(AtlasSearch* search, const LinkTable& table) {
  if (countOpenLinks(table) > kMaxAtlasLinks) return false;
  LinkBits& links = search->links;
  links = LinkBits{};
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    links.firstLink[k - 1] = links.linkCount;
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      if (!isLinkOpen(table, k, j)) continue;
      links.target[links.linkCount] = j;
      links.leaving[k - 1] |= uint32_t{1} << links.linkCount;
      ++links.linkCount;
    }
  }
  links.firstLink[kMoveKinds] = links.linkCount;
  // Remembered states belong to the links they were worked out for.
  std::memset(search->memo, 0, sizeof search->memo);
  return true;
}

StarterSummary summarizeStarter(AtlasSearch* search, int32_t starter) {
  StarterSummary summary = {};
  summary.starter = starter;
  Rest all = restFrom(search, starter, 0);
  summary.combos = all.combos;
  summary.shortest = all.fewest + 1;
  summary.longest = all.most + 1;
  summary.example[0] = starter;
  followLongest(search, starter, 0, all.most, summary.example + 1);
  return summary;
}

void writeAtlas(Console* console, AtlasSearch* search) {
  writeText(console, "starter\tcombos\tshortest\tlongest\tlongest_example\n");
  for (int32_t starter = kFirstMove; starter <= kLastMove; ++starter) {
    StarterSummary summary = summarizeStarter(search, starter);
    writeFigures(console, summary.starter, summary.combos, summary.shortest,
                 summary.longest);
    writeMoves(console, summary.example, summary.longest);
    writeText(console, "\n");
  }
}

AtlasMoveFault takeFollowUp(const AtlasSearch& search, AtlasState* state,
                            int32_t next) {
  if (!isMove(next)) return AtlasMoveFault::kFollowUpOutOfRange;
  int32_t i = linkBetween(search.links, state->move, next);
  if (i < 0 || (state->used & (uint32_t{1} << i)) != 0) {
    return AtlasMoveFault::kNoOpenLink;
  }
  state->move = next;
  state->used |= uint32_t{1} << i;
  return AtlasMoveFault::kNone;
}

AtlasMoveFault followMoves(const AtlasSearch& search, const int32_t* moves,
                           int32_t count, AtlasState* state, int32_t* at) {
  if (!isMove(moves[0])) {
    *at = 0;
    return AtlasMoveFault::kStarterOutOfRange;
  }
  AtlasState reached = {moves[0], 0};
  for (int32_t i = 1; i < count; ++i) {
    AtlasMoveFault fault = takeFollowUp(search, &reached, moves[i]);
    if (fault != AtlasMoveFault::kNone) {
      *state = reached;
      *at = i;
      return fault;
    }
  }
  *state = reached;
  return AtlasMoveFault::kNone;
}

bool stateOfLinks(const AtlasSearch& search, const LinkTable& table,
                  int32_t move, AtlasState* state) {
  if (!isMove(move)) return false;
  const LinkBits& links = search.links;
  uint32_t used = 0;
  for (int32_t k = kFirstMove; k <= kLastMove; ++k) {
    for (int32_t j = kFirstMove; j <= kLastMove; ++j) {
      int32_t i = linkBetween(links, k, j);
      if (i < 0 && isLinkOpen(table, k, j)) return false;
      if (i >= 0 && !isLinkOpen(table, k, j)) used |= uint32_t{1} << i;
    }
  }
  *state = {move, used};
  return true;
}

void summarizeFollowUps(AtlasSearch* search, AtlasState state,
                        FollowUpSummaries* out) {
  const LinkBits& links = search->links;
  // The moves so far: the starter and one for each link used.
  int32_t movesSoFar = 1 + countLinks(state.used);
  out->count = 0;
  for (int32_t i = links.firstLink[state.move - 1];
       i < links.firstLink[state.move]; ++i) {
    uint32_t link = uint32_t{1} << i;
    if ((state.used & link) != 0) continue;
    int32_t next = links.target[i];
    Rest rest = restFrom(search, next, state.used | link);
    FollowUpSummary& row = out->rows[out->count++];
    row.next = next;
    row.combos = rest.combos;
    row.shortest = movesSoFar + 1 + rest.fewest;
    row.longest = movesSoFar + 1 + rest.most;
    row.example[0] = next;
    row.exampleLength = 1 + rest.most;
    followLongest(search, next, state.used | link, rest.most, row.example + 1);
  }
}

void writeFollowUps(Console* console, AtlasSearch* search, const int32_t* moves,
                    int32_t count) {
  AtlasState state;
  int32_t at;
  followMoves(*search, moves, count, &state, &at);
  FollowUpSummaries summaries;
  summarizeFollowUps(search, state, &summaries);
  writeText(console, "next\tcombos\tshortest\tlongest\tlongest_example\n");
  for (int32_t r = 0; r < summaries.count; ++r) {
    const FollowUpSummary& row = summaries.rows[r];
    writeFigures(console, row.next, row.combos, row.shortest, row.longest);
    writeMoves(console, moves, count);
    writeText(console, ",");
    writeMoves(console, row.example, row.exampleLength);
    writeText(console, "\n");
  }
}

int runAtlas(Console* console) {
  writeAtlas(console, gameSearch());
  return finishOutput(console) ? kAtlasStatusDone : kAtlasStatusOutputFailed;
}

void readAtlasCommand(const AtlasSearch& search, int argc,
                      const char* const* argv, AtlasCommand* command) {
  command->request = AtlasRequest::kAtlas;
  command->count = 0;
  int end = endOfOptions(argc, argv);
  for (int i = 1; i < end; ++i) {
    if (isHelp(argv[i])) {
      command->request = AtlasRequest::kHelp;
      return;
    }
  }
  // The moves are every argument but that "--".
  int moves = end < argc ? argc - 2 : argc - 1;
  if (moves > kMaxCommandMoves) {
    int i = kMaxCommandMoves + 1 < end ? kMaxCommandMoves + 1
                                       : kMaxCommandMoves + 2;
    badArgument(command, kMaxCommandMoves + 1, argv[i], "more than 32 moves");
    return;
  }
  AtlasState state = {};
  int32_t place = 0;
  for (int i = 1; i < argc; ++i) {
    if (i == end) continue;
    ++place;
    int32_t move;
    if (!readMoveNumber(argv[i], &move)) {
      badArgument(command, place, argv[i], "not a decimal move number");
      return;
    }
    if (place == 1) {
      if (!isMove(move)) {
        badArgument(command, place, argv[i], "starter outside 1 to 8");
        return;
      }
      state = {move, 0};
    } else {
      int32_t from = state.move;
      switch (takeFollowUp(search, &state, move)) {
        case AtlasMoveFault::kNone:
          break;
        case AtlasMoveFault::kFollowUpOutOfRange:
          badArgument(command, place, argv[i], "follow-up outside 1 to 8");
          return;
        default: {
          char reason[40];
          std::snprintf(reason, sizeof reason, "no open link from %d to %d",
                        static_cast<int>(from), static_cast<int>(move));
          badArgument(command, place, argv[i], reason);
          return;
        }
      }
    }
    command->moves[command->count++] = move;
  }
  if (command->count > 0) command->request = AtlasRequest::kFollowUps;
}

int runAtlasCommand(Console* console, int argc, const char* const* argv) {
  AtlasSearch* search = gameSearch();
  static AtlasCommand command;
  readAtlasCommand(*search, argc, argv, &command);
  switch (command.request) {
    case AtlasRequest::kBadArgument:
      std::fputs(command.error, stderr);
      return kAtlasStatusBadArgument;
    case AtlasRequest::kHelp:
      writeText(console, kUsage);
      break;
    case AtlasRequest::kAtlas:
      writeAtlas(console, search);
      break;
    case AtlasRequest::kFollowUps:
      writeFollowUps(console, search, command.moves, command.count);
      break;
  }
  return finishOutput(console) ? kAtlasStatusDone : kAtlasStatusOutputFailed;
}

int runAtlasCommand(int argc, const char* const* argv) {
  static Console console;
  // Nothing is read: -1 and no bytes make an input that is empty at once.
  openFileConsole(&console, -1, 1);
  int status = runAtlasCommand(&console, argc, argv);
  if (console.writeError != 0) {
    std::fprintf(stderr, "combo-atlas: write error: %s\n",
                 std::strerror(console.writeError));
  }
  return status;
}

namespace internal {

// Counts add up fast in a dense table.
uint64_t addSaturating(uint64_t a, uint64_t b) {
  return b > UINT64_MAX - a ? UINT64_MAX : a + b;
}

// The console's writeNumber takes 32-bit numbers only.
void writeCount(Console* console, uint64_t number) {
  char digits[20];  // 18446744073709551615 has 20 digits
  std::size_t start = sizeof digits;
  do {
    digits[--start] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number > 0);
  writeText(console, digits + start, sizeof digits - start);
}

}  // namespace internal

}  // namespace combo
