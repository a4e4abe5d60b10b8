#pragma once

#include <QString>

#include <array>
#include <ctime>
#include <vector>

#include "history/ServerHistory.h"

class QChartView;
class QWidget;

// The number of players over time, from `from` to `to` in `intervals` between
// labelled ticks; `span` is the time a
// point stands for: where polls are missing for longer (the server was off or
// not polled), the line breaks rather than bridging the gap.
QChartView* MakePlayerCountChart(const std::vector<THistoryPoint>& points, std::time_t from,
                                 std::time_t to, int intervals, std::time_t span,
                                 const QString& timeFormat, QWidget* parent);

// Mean players per poll for each hour of the day, as bars.
QChartView* MakeHoursChart(const std::array<THourOfDay, 24>& hours, QWidget* parent);

// The lines of one chart: a run of points without a gap longer than two spans each.
std::vector<std::vector<THistoryPoint>> SplitAtGaps(const std::vector<THistoryPoint>& points,
                                                    std::time_t span);
