#include "history/ServerHistory.h"

#include <algorithm>

std::vector<int> TServerHistory::BusiestHours(std::size_t count) const {
  std::vector<int> hours;
  for (int hour = 0; hour < static_cast<int>(Hours.size()); ++hour)
    if (Hours[static_cast<std::size_t>(hour)].Polls > 0)
      hours.push_back(hour);
  std::stable_sort(hours.begin(), hours.end(), [this](int a, int b) {
    return Hours[static_cast<std::size_t>(a)].MeanPlayers() >
           Hours[static_cast<std::size_t>(b)].MeanPlayers();
  });
  if (hours.size() > count)
    hours.resize(count);
  return hours;
}
