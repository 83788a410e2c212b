// The news XML and OPML readers.
#include "fuzz/FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QuorbelFuzz::TScene scene;
    QuorbelFuzz::RunNewsFiles(scene, QuorbelFuzz::Input(data, size));
    return 0;
}
