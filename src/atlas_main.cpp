// combo-atlas: every complete combo the link table allows, summed up per
// starter, or per next move from a point of a combo given as arguments.
#include "atlas_command.h"

int main(int argc, char** argv) { return combo::runAtlasCommand(argc, argv); }
