#pragma once

#include <QIcon>

namespace springtest {

// The glyphs of the curve window's toolbar, drawn rather than loaded so the window needs no image files.
enum class ChartTool { ZoomIn, ZoomOut, StretchY, ShrinkY, ShrinkX, StretchX, Save, Print, Widen, Narrow };

QIcon chartToolIcon(ChartTool tool);

}  // namespace springtest
