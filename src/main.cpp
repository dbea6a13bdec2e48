// combo: build fighting-game combos link by link at the console.
#include "combo_command.h"

int main(int argc, char** argv) { return combo::runComboCommand(argc, argv); }
