// The entry point of the window module. plover loads the module only to show
// its window, so that batch runs do not pay for loading Qt.
#include "bufferwriter/qt/PloverApp.h"

extern "C" __attribute__((visibility("default"))) int plover_run_window(int* argc, char** argv, const char* commandLine,
                                                                        kestrel::InstanceChannel* channel) {
    return kestrel::runPloverWindow(*argc, argv, commandLine, channel);
}
