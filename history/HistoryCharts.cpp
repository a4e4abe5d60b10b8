#include "history/HistoryCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>

namespace {

QChart* BareChart() {
  auto* chart = new QChart;
  chart->legend()->hide();
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->setBackgroundRoundness(0);
  return chart;
}

QChartView* ViewOf(QChart* chart, QWidget* parent) {
  auto* view = new QChartView(chart, parent);
  view->setRenderHint(QPainter::Antialiasing);
  return view;
}

// Whole players only, from nought to a round number above the most.
QValueAxis* PlayerAxis(double most) {
  auto* axis = new QValueAxis;
  axis->setRange(0, std::max(most, 4.0));
  axis->applyNiceNumbers();
  axis->setLabelFormat(QStringLiteral("%d"));
  return axis;
}

qint64 Milliseconds(std::time_t time) {
  return static_cast<qint64>(time) * 1000;
}

} // namespace

std::vector<std::vector<THistoryPoint>> SplitAtGaps(const std::vector<THistoryPoint>& points,
                                                    std::time_t span) {
  std::vector<std::vector<THistoryPoint>> lines;
  for (const THistoryPoint& point : points) {
    if (lines.empty() || point.Time - lines.back().back().Time > 2 * span)
      lines.emplace_back();
    lines.back().push_back(point);
  }
  return lines;
}

QChartView* MakePlayerCountChart(const std::vector<THistoryPoint>& points, std::time_t from,
                                 std::time_t to, int intervals, std::time_t span,
                                 const QString& timeFormat, QWidget* parent) {
  QChart* chart = BareChart();
  auto* timeAxis = new QDateTimeAxis;
  timeAxis->setFormat(timeFormat);
  timeAxis->setTickCount(intervals + 1);
  timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(Milliseconds(from)),
                     QDateTime::fromMSecsSinceEpoch(Milliseconds(to)));
  int32_t most = 0;
  for (const THistoryPoint& point : points)
    most = std::max(most, point.Players);
  QValueAxis* playerAxis = PlayerAxis(most);
  chart->addAxis(timeAxis, Qt::AlignBottom);
  chart->addAxis(playerAxis, Qt::AlignLeft);
  // Every run of the line in one colour: they are one curve.
  const QPen pen(QColor(32, 120, 200), 2);
  for (const std::vector<THistoryPoint>& line : SplitAtGaps(points, span)) {
    auto* series = new QLineSeries;
    for (const THistoryPoint& point : line)
      series->append(static_cast<qreal>(Milliseconds(point.Time + span / 2)), point.Players);
    // A lone point would draw nothing as a line.
    series->setPointsVisible(line.size() == 1);
    series->setPen(pen);
    chart->addSeries(series);
    series->attachAxis(timeAxis);
    series->attachAxis(playerAxis);
  }
  return ViewOf(chart, parent);
}

QChartView* MakeHoursChart(const std::array<THourOfDay, 24>& hours, QWidget* parent) {
  QChart* chart = BareChart();
  auto* bars = new QBarSet(QString());
  QStringList categories;
  double most = 0;
  for (std::size_t hour = 0; hour < hours.size(); ++hour) {
    *bars << hours[hour].MeanPlayers();
    most = std::max(most, hours[hour].MeanPlayers());
    categories << QString::number(hour);
  }
  auto* series = new QBarSeries;
  series->append(bars);
  series->setBarWidth(0.8);
  chart->addSeries(series);
  auto* hourAxis = new QBarCategoryAxis;
  hourAxis->append(categories);
  // Small enough for two digits under each of the 24 bars.
  QFont small = hourAxis->labelsFont();
  small.setPointSizeF(small.pointSizeF() * 0.75);
  hourAxis->setLabelsFont(small);
  QValueAxis* playerAxis = PlayerAxis(most);
  playerAxis->setLabelFormat(QStringLiteral("%.1f"));
  chart->addAxis(hourAxis, Qt::AlignBottom);
  chart->addAxis(playerAxis, Qt::AlignLeft);
  series->attachAxis(hourAxis);
  series->attachAxis(playerAxis);
  return ViewOf(chart, parent);
}
