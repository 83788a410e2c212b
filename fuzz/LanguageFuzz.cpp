// Language files read and applied.
#include "fuzz/FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QuorbelFuzz::TScene scene;
    QuorbelFuzz::RunLanguage(scene, QuorbelFuzz::Input(data, size));
    return 0;
}
