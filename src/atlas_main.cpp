// combo-atlas: every complete combo the link table allows, summed up per
// starter.
#include "combo_atlas.h"

int main() { return combo::runAtlas(); }
