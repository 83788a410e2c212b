// Web pages: charset decisions, the page title and HTMLToText.
#include "fuzz/FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QuorbelFuzz::RunText(QuorbelFuzz::Input(data, size));
    return 0;
}
