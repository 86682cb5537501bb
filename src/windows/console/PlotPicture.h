#pragma once

#include <QString>

class QCustomPlot;
class QWidget;

namespace springtest {

// "保存曲线图像": the chart as a bitmap of its on-screen size, saved into the application folder's "picture"
// folder (made when missing) under a name the operator chooses. An existing file is replaced only after
// "该文件名已经存在，是否覆盖?" is answered Yes; a name typed without a suffix gets ".bmp". Every message
// goes through prompts().
void saveChartBitmap(QCustomPlot& chart, const QString& applicationFolder);

// The chart's print preview, which offers the printer, its setup, the orientation and printing. Without any
// printer installed the operator is told so instead. A blocking preview returns when it is closed; otherwise
// it stays open beside `parent` and is deleted with it or when closed.
enum class PreviewMode { Blocking, Beside };
void previewChartPrint(QCustomPlot& chart, QWidget* parent, const QString& title, PreviewMode mode);

}  // namespace springtest
