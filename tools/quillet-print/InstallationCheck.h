// quillet-print --check: one line per step of what Quillet needs on this machine, each
// with OK or what is wrong and what to do.
#pragma once

#include <functional>
#include <string>

// Lines are handed over in code page 1250, each ended by a line feed. Returns the exit
// status: 0 when every step passed, 2 otherwise.
int RunInstallationCheck(const std::function<void(const std::string& line)>& write);
