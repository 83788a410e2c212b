// Downloaded feeds: the XML document layer, the RSS binding, the Atom and
// JSON Feed readers and the merges.
#include "fuzz/FuzzMain.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QuorbelFuzz::TScene scene;
    QuorbelFuzz::RunFeed(scene, QuorbelFuzz::Input(data, size));
    return 0;
}
