// The news container (.qbx) reader and the tree built from what it read.
#include "fuzz/FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QuorbelFuzz::TScene scene;
    QuorbelFuzz::RunContainer(scene, QuorbelFuzz::Input(data, size));
    return 0;
}
