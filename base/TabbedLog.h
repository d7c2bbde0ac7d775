// The library's one reporting function. Level 1 is an error: shown in a message box and
// written to the host's tabbed log; level 2 is a message for the log only.
#pragma once

#include <string>

void AddToTabbedLog(std::string text, int level);
