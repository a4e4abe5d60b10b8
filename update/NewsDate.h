#pragma once

#include <optional>
#include <string>

#include "util/datetime.h"

// The date of a news line: the user's short date format, or an ISO date
// (yyyy-mm-dd), so one page serves users of every locale. Blanks may follow.
std::optional<TDateTime> ReadNewsDate(const std::string& line);
