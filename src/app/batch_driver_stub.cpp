#include "app/batch_driver.h"

// Stands in for the batch driver until it is built; the command line can be
// tried on its own meanwhile.
int runBatch(int /*argc*/, char** /*argv*/, ConversionSettings& /*settings*/, MetadataTagList& /*tags*/) {
    return 0;
}
