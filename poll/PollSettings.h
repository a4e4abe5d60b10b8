#pragma once

#include <cstdint>

// The settings the poll engine runs on, as the user set them. Its owner hands
// them over; the engine keeps its own copy and never writes them back.
struct TPollSettings {
  int32_t Interval = 3000;     // ms between cycles; 0: cycles only on Refresh
  int32_t MaxWaitAnswer = 500; // ms per query step
  bool SlowPoll = false;       // no early advance on a complete reply
};
