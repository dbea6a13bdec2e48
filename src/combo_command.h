// combo's command line: "combo [--table FILE]". Without arguments the
// dialogue plays on the game's link table, as the program always has; with
// --table it plays on the table that FILE holds (table_file.h).

#ifndef COMBO_COMBO_COMMAND_H_
#define COMBO_COMBO_COMMAND_H_

namespace combo {

// Runs combo with the arguments argv[1..argc): the dialogue on standard
// input and output, or the usage text for -h or --help. Returns the exit
// status: the dialogue's (0, 1 or 2: combo_dialogue.h); 0 after the usage
// text, 2 if it cannot be written; 1 for a bad argument or a table file
// that cannot be read or is refused, with one line on standard error that
// says why ("combo: unknown option '-x'", "FILE:3:7: expected a move kind
// from 1 to 8") and nothing on standard output.
// REQUIRES: argv[0..argc) are NUL-terminated texts.
int runComboCommand(int argc, const char* const* argv);

}  // namespace combo

#endif  // COMBO_COMBO_COMMAND_H_
