// Item dates as feeds write them.
#include "fuzz/FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QuorbelFuzz::RunDate(QuorbelFuzz::Input(data, size));
    return 0;
}
