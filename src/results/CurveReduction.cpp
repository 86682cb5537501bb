#include "results/CurveReduction.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace springtest {

std::vector<int> columnExtremes(std::span<const QPointF> points, int columns) {
    columns = std::max(1, columns);
    const auto drawable = [](const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); };
    double xMin = 0, xMax = 0;
    bool any = false;
    for (const QPointF& p : points) {
        if (!drawable(p)) continue;
        xMin = any ? std::min(xMin, p.x()) : p.x();
        xMax = any ? std::max(xMax, p.x()) : p.x();
        any = true;
    }
    std::vector<int> kept;
    if (!any) return kept;
    const double scale = xMax > xMin ? columns / (xMax - xMin) : 0.0;

    int runColumn = -1;
    std::array<int, 4> run{};  // first, lowest, highest, last
    const auto flush = [&] {
        if (runColumn < 0) return;
        std::sort(run.begin(), run.end());
        for (size_t i = 0; i < run.size(); ++i)
            if (i == 0 || run[i] != run[i - 1]) kept.push_back(run[i]);
    };
    for (int i = 0; i < static_cast<int>(points.size()); ++i) {
        const QPointF& p = points[static_cast<size_t>(i)];
        if (!drawable(p)) continue;
        const int column = std::min(columns - 1, static_cast<int>((p.x() - xMin) * scale));
        if (column != runColumn) {
            flush();
            runColumn = column;
            run = {i, i, i, i};
            continue;
        }
        if (p.y() < points[static_cast<size_t>(run[1])].y()) run[1] = i;
        if (p.y() > points[static_cast<size_t>(run[2])].y()) run[2] = i;
        run[3] = i;
    }
    flush();
    return kept;
}

}  // namespace springtest
