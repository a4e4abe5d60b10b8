#pragma once

#include "util/datetime.h"

// The date and time the program was built, in local time. Defined by a source
// file generated at every build (library skarvel_build_stamp).
TDateTime BuildStamp();
