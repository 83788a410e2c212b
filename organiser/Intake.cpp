// Paste and drop intake.
#include "organiser/NewsFeeders.h"

void TNewsFeeder::CreateIntakeActions() {}
