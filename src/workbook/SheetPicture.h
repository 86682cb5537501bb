#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "workbook/CellAddress.h"

namespace springtest {

class OpcPackage;
class WorksheetXml;

struct PngSize {
    int width_px = 0;
    int height_px = 0;
    double dotsPerInchX = 96;
    double dotsPerInchY = 96;
};
// The size of a PNG picture from its header; nothing when the bytes are no PNG.
std::optional<PngSize> readPngSize(const QByteArray& png);

// Places a PNG picture with its top-left corner on cell `at` of the sheet, at the picture's own size (which
// is what pasting a picture into a sheet does): the sheet's drawing gets it, and the drawing is made when the
// sheet has none. An error text when the bytes are no PNG or the sheet's drawing cannot be read.
QString addPicture(OpcPackage& package, const QString& sheetPart, WorksheetXml& sheet, CellPosition at,
                   const QByteArray& png);

}  // namespace springtest
