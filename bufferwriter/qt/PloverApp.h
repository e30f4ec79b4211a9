#pragma once
// Runs plover's window: loads the queue of the command line, then shows the
// window until it is closed, taking what later starts send on `channel` (the
// claimed instance channel, or nullptr). Returns the exit status.
#include <string>

namespace kestrel {

class InstanceChannel;

int runPloverWindow(int& argc, char** argv, const std::string& commandLine, InstanceChannel* channel);

}  // namespace kestrel
