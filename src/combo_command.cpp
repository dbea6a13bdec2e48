#include "combo_command.h"

#include <cstdio>
#include <cstring>

#include "combo_dialogue.h"
#include "console.h"
#include "link_table.h"
#include "table_file.h"

namespace combo {
namespace {

constexpr char kUsage[] =
    "usage: combo [--table FILE]\n"
    "\n"
    "Builds fighting-game combos link by link: the answers are read from\n"
    "standard input, and the dialogue is written to standard output in\n"
    "Shift_JIS (on a UTF-8 terminal: luit -encoding SJIS combo).\n"
    "\n"
    "--table FILE plays on the link table that FILE holds, in the format\n"
    "that combo-atlas --print-table writes, instead of the game's.\n"
    "-h or --help writes this text. See combo(1).\n"
    "\n"
    "Exit status: 0 when you answer 0 to stop, 1 when the input ends first\n"
    "or for a bad argument or table file, 2 if the output cannot be "
    "written.\n";

constexpr char kUsageLine[] = "usage: combo [--table FILE]\n";

bool isHelp(const char* word) {
  return std::strcmp(word, "-h") == 0 || std::strcmp(word, "--help") == 0;
}

// One line on standard error for a bad argument, then the usage line.
int badArgument(const char* what, const char* word) {
  std::fprintf(stderr, "combo: %s '%.64s'\n%s", what, word, kUsageLine);
  return kStatusInputEnded;
}

// Writes the usage text to standard output.
int writeUsage() {
  static Console console;
  openFileConsole(&console, -1, 1);
  writeText(&console, kUsage);
  if (finishOutput(&console)) return kStatusStopped;
  std::fprintf(stderr, "combo: write error: %s\n",
               std::strerror(console.writeError));
  return kStatusOutputFailed;
}

}  // namespace

int runComboCommand(int argc, const char* const* argv) {
  const char* tablePath = nullptr;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const char* word = argv[i];
    if (!optionsEnded && isHelp(word)) return writeUsage();
    if (!optionsEnded && std::strcmp(word, "--") == 0) {
      optionsEnded = true;
    } else if (!optionsEnded && std::strcmp(word, "--table") == 0) {
      if (i + 1 == argc) return badArgument("a table file must follow", word);
      tablePath = argv[++i];
    } else if (!optionsEnded && std::strncmp(word, "--table=", 8) == 0) {
      tablePath = word + 8;
    } else if (!optionsEnded && word[0] == '-' && word[1] != '\0') {
      return badArgument("unknown option", word);
    } else {
      return badArgument("unexpected argument", word);
    }
  }
  if (tablePath == nullptr) return runDialogue();
  static LinkTable table;
  char message[320];
  if (!readTableFile(tablePath, &table, message, sizeof message)) {
    std::fputs(message, stderr);
    return kStatusInputEnded;
  }
  return runDialogue(table);
}

}  // namespace combo
