// combo: build fighting-game combos link by link at the console.
#include "combo_dialogue.h"

int main() { return combo::runDialogue(); }
