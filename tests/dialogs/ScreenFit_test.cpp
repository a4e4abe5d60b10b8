#include <gtest/gtest.h>

#include <QList>
#include <QRect>

#include <ostream>
#include <string>

#include "dialogs/ScreenFit.h"

namespace {

struct FitCase {
  const char* name;
  QRect window;
  QList<QRect> screens; // available areas
  qsizetype primary;
  QRect fitted;
};

void PrintTo(const FitCase& c, std::ostream* out) {
  *out << c.name;
}

class ScreenFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(ScreenFitTest, KeepsTheWindowOnAScreen) {
  EXPECT_EQ(FitToScreens(GetParam().window, GetParam().screens, GetParam().primary),
            GetParam().fitted);
}

const QRect kWide(0, 0, 1600, 1000);
const QRect kPanelled(0, 0, 1600, 960); // a panel along the bottom
const QRect kRight(1600, 0, 1280, 1024);
const QRect kAbove(200, -900, 1440, 900);

INSTANTIATE_TEST_SUITE_P(
    Cases, ScreenFitTest,
    ::testing::Values(
        FitCase{"AlreadyOnScreen", {205, 104, 435, 348}, {kWide}, 0, {205, 104, 435, 348}},
        FitCase{"LargerThanTheScreenAfterAScaleChange",
                {801, 620, 1600, 1200},
                {kWide},
                0,
                {0, 0, 1600, 1000}},
        FitCase{
            "PartlyOffTheRightAndBottom", {1400, 900, 400, 300}, {kWide}, 0, {1200, 700, 400, 300}},
        FitCase{"OffTheLeftAndTop", {-300, -50, 400, 300}, {kWide}, 0, {0, 0, 400, 300}},
        FitCase{"BehindAPanel", {100, 800, 400, 300}, {kPanelled}, 0, {100, 660, 400, 300}},
        FitCase{
            "OnTheSecondScreen", {1700, 100, 400, 300}, {kWide, kRight}, 0, {1700, 100, 400, 300}},
        FitCase{"TheScreenShowingMostTakesIt",
                {1450, 100, 400, 300},
                {kWide, kRight},
                0,
                {1600, 100, 400, 300}},
        FitCase{"TooBigForTheSmallerScreenItMostlyShowsOn",
                {1500, 0, 1500, 1100},
                {kWide, kRight},
                0,
                {1600, 0, 1280, 1024}},
        FitCase{"AScreenAtNegativeCoordinates",
                {300, -800, 600, 400},
                {kWide, kAbove},
                0,
                {300, -800, 600, 400}},
        FitCase{"OnNoScreenGoesToThePrimary",
                {5000, 5000, 400, 300},
                {kWide, kRight},
                1,
                {2480, 724, 400, 300}},
        FitCase{"APrimaryOutOfRangeMeansTheFirst",
                {5000, 5000, 400, 300},
                {kWide, kRight},
                7,
                {1200, 700, 400, 300}},
        FitCase{
            "NoScreensKnownChangesNothing", {801, 620, 1600, 1200}, {}, 0, {801, 620, 1600, 1200}}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
