#pragma once

#include <functional>
#include <string>

#include "poll/Monitor.h"

// The monitor's start-up as the console front end runs it: no game images and
// no window layout; each problem is reported as one line, and start-up goes on.
void StartConsoleMonitor(TMonitor& monitor, const std::function<void(const std::string&)>& report);
