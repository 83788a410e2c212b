// Opening items.
#include "organiser/NewsFeeders.h"

void TNewsFeeder::CreateOpenActions() {}
