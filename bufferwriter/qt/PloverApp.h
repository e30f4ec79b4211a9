#pragma once
// Runs plover's window: loads the queue of the command line, then shows the
// window until it is closed. Returns the exit status.
#include <string>

namespace kestrel {

int runPloverWindow(int& argc, char** argv, const std::string& commandLine);

} // namespace kestrel
