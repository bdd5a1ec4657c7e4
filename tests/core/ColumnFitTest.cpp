// Words measured in the record font, and table columns fitted between the
// margins without breaking a word.
#include "docs/ColumnFit.h"
#include "docs/DocumentModel.h"
#include "docs/FontMetrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace tessaprint::docs {
namespace {

TEST(FontMetricsTest, AWordIsMeasuredWholeWithTheBlanksTheTextStartsWith)
{
    // As LibreOffice sets it in Carlito bold 11 (35.8 pt in its PDF).
    EXPECT_NEAR(FontMetrics::Width("Replace", 11, true), 35.8, 0.15);
    EXPECT_GT(FontMetrics::Width("Replace", 11, true), FontMetrics::Width("Replace", 11, false));
    EXPECT_DOUBLE_EQ(FontMetrics::Width("Replace", 22, true), 2 * FontMetrics::Width("Replace", 11, true));
    EXPECT_DOUBLE_EQ(FontMetrics::WidestWord("JD\tCalibrate x\nab", 11, true),
                     FontMetrics::Width("Calibrate", 11, true));
    // A results piece keeps the blank before it: the line cannot break there.
    EXPECT_DOUBLE_EQ(FontMetrics::WidestWord(" Sensor ", 11, true), FontMetrics::Width(" Sensor", 11, true));
    // Beyond ASCII a character counts once, as one of the widest letters.
    EXPECT_GT(FontMetrics::Width("\u03A9", 12, false), FontMetrics::Width("o", 12, false));
    EXPECT_DOUBLE_EQ(FontMetrics::Width("\u00B1x", 12, false),
                     FontMetrics::Width("\u03A9", 12, false) + FontMetrics::Width("x", 12, false));
    EXPECT_EQ(FontMetrics::WidestWord("", 12, false), 0);
}

double Sum(const std::vector<double>& widths)
{
    return std::accumulate(widths.begin(), widths.end(), 0.0);
}

TEST(FitColumnsTest, WiderThanThePageIsScaledInProportionNarrowerStaysAsLaidOut)
{
    // 2.5, 1.8, 1.0 and 1.5 in (6.8 in) into 6.7 in.
    const auto scaled = FitColumns({{180, 0, 0}, {129.6, 0, 0}, {72, 0, 0}, {108, 0, 0}}, 482.4);
    EXPECT_EQ(scaled, (std::vector<double>{177.35, 127.7, 70.95, 106.4}));
    EXPECT_DOUBLE_EQ(Sum(scaled), 482.4);
    EXPECT_EQ(FitColumns({{100, 0, 0}, {200, 0, 0}}, 482.4), (std::vector<double>{100, 200}));
}

TEST(FitColumnsTest, AColumnTooNarrowForItsWordsTakesRoomFromWhatTheOthersCanSpare)
{
    // The first needs 50 more; the second can spare 100, the third 50.
    EXPECT_EQ(FitColumns({{100, 150, 0}, {100, 0, 0}, {100, 50, 0}}, 300), (std::vector<double>{150, 66.65, 83.35}));
    // With room on the page it is widened and nothing else narrows.
    EXPECT_EQ(FitColumns({{100, 150, 0}, {100, 0, 0}}, 482.4), (std::vector<double>{150, 100}));
}

TEST(FitColumnsTest, FixedWordsComeBeforeTheEntriesAndNothingRunsPastThePage)
{
    // Both entries need 120, only 80 is left after the first column's fixed
    // words: each column gets its fixed need and two thirds of the rest.
    EXPECT_EQ(FitColumns({{100, 120, 120}, {100, 0, 120}}, 200), (std::vector<double>{120, 80}));
    // Fixed words wider than the page: every column gives up the same share.
    EXPECT_EQ(FitColumns({{10, 300, 0}, {10, 100, 0}}, 200), (std::vector<double>{150, 50}));
    // Whole twips that never add up to more than the page.
    const auto widths = FitColumns({{100.01, 0, 0}, {100.02, 0, 0}, {100.03, 33.337, 0}}, 250.01);
    EXPECT_LE(Sum(widths), 250.01);
    for (const double w : widths) {
        EXPECT_DOUBLE_EQ(w * 20, std::round(w * 20)) << w;
    }
}

TEST(FitColumnsTest, ACellHoldsItsWidestWordBetweenItsMargins)
{
    EXPECT_DOUBLE_EQ(CellWidthForWords({"Date", "12/02/2026"}, 11, true),
                     FontMetrics::Width("12/02/2026", 11, true) + 2 * kCellSideMarginPt + 1.5);
}

} // namespace
} // namespace tessaprint::docs
