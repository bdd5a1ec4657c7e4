#include "docs/ColumnFit.h"

#include "docs/DocumentModel.h"
#include "docs/FontMetrics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tessaprint::docs {

namespace {

constexpr double kLayoutSlackPt = 1.5;

double Sum(const std::vector<double>& values)
{
    return std::accumulate(values.begin(), values.end(), 0.0);
}

// The least width of each column: its fixed need, then as much of its
// entries' need as the room allows, the same share for every column.
std::vector<double> Minimums(const std::vector<ColumnFit>& columns, double available)
{
    std::vector<double> fixed;
    std::vector<double> entries;
    for (const ColumnFit& c : columns) {
        fixed.push_back(std::max(0.0, c.fixedPt));
        entries.push_back(std::max(fixed.back(), c.entriesPt));
    }
    const double fixedSum = Sum(fixed);
    if (fixedSum > available) {
        // Not even the fixed words fit: every column gives up the same share.
        for (double& m : fixed) {
            m *= available / fixedSum;
        }
        return fixed;
    }
    const double entriesSum = Sum(entries);
    if (entriesSum <= available) {
        return entries;
    }
    const double share = (available - fixedSum) / (entriesSum - fixedSum);
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        fixed[i] += (entries[i] - fixed[i]) * share;
    }
    return fixed;
}

// Whole twips, adding up to the rounded total: the columns that lost the
// most to rounding down get the twips left over.
std::vector<double> ToTwips(const std::vector<double>& widths, double available)
{
    const double total = std::min(std::floor(available * 20.0 + 1e-6), std::round(Sum(widths) * 20.0));
    std::vector<double> twips;
    std::vector<std::pair<double, std::size_t>> remainders;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const double exact = widths[i] * 20.0;
        twips.push_back(std::floor(exact));
        remainders.emplace_back(exact - twips.back(), i);
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    double left = total - Sum(twips);
    for (std::size_t k = 0; left >= 1.0 && k < remainders.size(); ++k, left -= 1.0) {
        twips[remainders[k].second] += 1.0;
    }
    std::vector<double> points;
    for (const double t : twips) {
        points.push_back(t / 20.0);
    }
    return points;
}

} // namespace

double CellWidthForWords(const std::vector<std::string>& texts, double size, bool bold)
{
    double widest = 0;
    for (const std::string& text : texts) {
        widest = std::max(widest, FontMetrics::WidestWord(text, size, bold));
    }
    return widest + 2 * kCellSideMarginPt + kLayoutSlackPt;
}

std::vector<double> FitColumns(const std::vector<ColumnFit>& columns, double availablePt)
{
    if (columns.empty() || availablePt <= 0) {
        return std::vector<double>(columns.size(), 0.0);
    }
    std::vector<double> widths;
    for (const ColumnFit& c : columns) {
        widths.push_back(std::max(0.0, c.preferredPt));
    }
    const double preferred = Sum(widths);
    if (preferred > availablePt) {
        for (double& w : widths) {
            w *= availablePt / preferred;
        }
    }
    const std::vector<double> minimum = Minimums(columns, availablePt);
    for (std::size_t i = 0; i < widths.size(); ++i) {
        widths[i] = std::max(widths[i], minimum[i]);
    }
    // What the widened columns took is given back by those with room to spare.
    const double excess = Sum(widths) - availablePt;
    const double spare = Sum(widths) - Sum(minimum);
    if (excess > 0 && spare > 0) {
        for (std::size_t i = 0; i < widths.size(); ++i) {
            widths[i] -= (widths[i] - minimum[i]) * std::min(1.0, excess / spare);
        }
    }
    return ToTwips(widths, availablePt);
}

} // namespace tessaprint::docs
