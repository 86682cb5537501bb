#pragma once

#include "results/ReportFiles.h"

namespace springtest {

// Shows a saved workbook in whatever program the desktop opens spreadsheets with.
class DesktopSpreadsheetOpener final : public SpreadsheetOpener {
public:
    QString open(const QString& path) override;
};

}  // namespace springtest
