#pragma once

#include <QPointF>

#include <span>
#include <vector>

namespace springtest {

// Which points of a curve a chart `columns` pixels wide needs so that it looks as the whole curve does: the
// points' own x range (smallest to largest finite x) is cut into `columns` equal columns, and of every run
// of consecutive points that falls into one column the first, the lowest, the highest and the last are kept.
// So every column keeps its extremes, the first and the last point stay, and what is kept stays in the order
// measured (a curve that comes back through a column, as a return stroke does, is kept on both ways). The
// indices into `points`, ascending. Points without a finite x and y cannot be drawn and are left out.
//
// A full-rate curve of 60,000 readings comes down to a few thousand points for a chart 1000 pixels wide.
std::vector<int> columnExtremes(std::span<const QPointF> points, int columns);

}  // namespace springtest
