// Stored notes: the RTF reader (and the writer on what it read).
#include "fuzz/FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QuorbelFuzz::RunRtf(QuorbelFuzz::Input(data, size));
    return 0;
}
