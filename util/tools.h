#pragma once

// The shared helpers of the core, in one include.
#include "util/app_dir.h"
#include "util/cursor_readers.h"
#include "util/datetime.h"
#include "util/debug_log.h"
#include "util/resolve.h"
#include "util/text.h"
#include "util/version.h"
