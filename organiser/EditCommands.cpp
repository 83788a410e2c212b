// Tree editing commands.
#include "organiser/NewsFeeders.h"

void TNewsFeeder::CreateEditActions() {}
