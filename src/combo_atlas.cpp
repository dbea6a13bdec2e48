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

  // The example, move by move: the smallest follow-up from which a combo can
  // still reach the longest length. Trying the follow-ups in ascending order
  // and keeping the first that can makes the whole chain the first longest
  // one in ascending order. Those states were just worked out, so most of
  // them are still remembered.
  const LinkBits& links = search->links;
  int32_t move = starter;
  uint32_t used = 0;
  summary.example[0] = starter;
  for (int32_t length = 1; length < summary.longest; ++length) {
    int32_t linksWanted = summary.longest - length;
    for (int32_t i = links.firstLink[move - 1]; i < links.firstLink[move];
         ++i) {
      uint32_t link = uint32_t{1} << i;
      if ((used & link) != 0) continue;
      if (restFrom(search, links.target[i], used | link).most + 1 ==
          linksWanted) {
        move = links.target[i];
        used |= link;
        break;
      }
    }
    summary.example[length] = move;
  }
  return summary;
}

void writeAtlas(Console* console, AtlasSearch* search) {
  writeText(console, "starter\tcombos\tshortest\tlongest\tlongest_example\n");
  for (int32_t starter = kFirstMove; starter <= kLastMove; ++starter) {
    StarterSummary summary = summarizeStarter(search, starter);
    writeNumber(console, summary.starter);
    writeText(console, "\t");
    internal::writeCount(console, summary.combos);
    writeText(console, "\t");
    writeNumber(console, summary.shortest);
    writeText(console, "\t");
    writeNumber(console, summary.longest);
    writeText(console, "\t");
    for (int32_t i = 0; i < summary.longest; ++i) {
      if (i > 0) writeText(console, ",");
      writeNumber(console, summary.example[i]);
    }
    writeText(console, "\n");
  }
}

int runAtlas(Console* console) {
  // Static storage: about 1 MiB, too much for the stack on some systems.
  static AtlasSearch search;
  LinkTable links;
  resetLinks(&links);
  // Cannot fail: the game's links fit (checked at compile time above).
  startAtlasSearch(&search, links);
  writeAtlas(console, &search);
  return finishOutput(console) ? kAtlasStatusDone : kAtlasStatusOutputFailed;
}

int runAtlas() {
  static Console console;
  // Nothing is read: -1 and no bytes make an input that is empty at once.
  openFileConsole(&console, -1, 1);
  int status = runAtlas(&console);
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
