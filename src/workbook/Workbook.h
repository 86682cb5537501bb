#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>

namespace springtest {

// A spreadsheet workbook (.xlsx) or template (.xltx) opened to be filled and saved as a new .xlsx: the
// operations the report exports use. Opening only reads the file, so a template is never changed. Sheets are
// the workbook's worksheets (chart sheets do not count), numbered from 1 in workbook order; cells are (row,
// column) from 1 on the active sheet. Every operation returns an empty text on success and an error text
// otherwise; nothing throws, and a damaged or foreign file gives an error, not a crash.
class Workbook {
public:
    Workbook();
    ~Workbook();
    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;

    [[nodiscard]] QString open(const QString& path);
    bool isOpen() const;
    QString path() const;  // the file it was opened from

    QStringList sheetNames() const;
    int sheetCount() const;
    // 1-based; 0 when the workbook has no worksheet. After opening, the sheet the file was saved on.
    int activeSheet() const;
    QString activeSheetName() const;
    [[nodiscard]] QString activateSheet(int number);
    [[nodiscard]] QString activateSheet(const QString& name);  // the exact name

    // Writes the text as text (never as a number, whatever it looks like), keeping the cell's format. An
    // empty text empties the cell. A formula in the cell is replaced.
    [[nodiscard]] QString setCellText(int row, int column, const QString& text);
    // What a cell shows as far as the file says: its text, its number as written, a formula's last result.
    QString cellText(int row, int column) const;
    // Writes the number as a number, keeping the cell's format; an error for a value that is no finite
    // number.
    [[nodiscard]] QString setCellNumber(int row, int column, double value);
    // Appends an empty worksheet of that name after the last sheet and makes it the active one. An error when
    // the name cannot be a sheet's (empty, longer than 31 characters, one of : \ / ? * [ ]) or a sheet has it
    // already, whatever the letter case.
    [[nodiscard]] QString addSheet(const QString& name);
    // Shows the cell's number in `formatCode` ("0.000"), keeping the rest of its format.
    [[nodiscard]] QString setCellNumberFormat(int row, int column, const QString& formatCode);
    // Writes a date and time as a spreadsheet keeps one (days since 1899-12-30) and shows it as
    // "yyyy-mm-dd hh:mm:ss".
    [[nodiscard]] QString setCellDateTime(int row, int column, const QDateTime& when);
    // A cell of the active sheet whose formula shows one cell of the sheet `source` (with or without
    // converting it) and has no number format of its own takes that cell's: a report that reads a value of
    // the data sheet shows it with the data's decimals.
    [[nodiscard]] QString carryNumberFormats(const QString& source);
    // Hides or shows a sheet (1-based); the active sheet stays shown. Hidden sheets are not printed.
    [[nodiscard]] QString setSheetHidden(int number, bool hidden);
    // Sets the font colour as a spreadsheet's Color property takes it: 0xBBGGRR, so 255 is red.
    [[nodiscard]] QString setCellFontColor(int row, int column, int bgrColor);
    // Places a PNG picture at its own size with its top-left corner on the first cell of `rangeAddress`
    // ("A12", "B3:H20"), as pasting a picture there does.
    [[nodiscard]] QString placePicture(const QString& rangeAddress, const QByteArray& png);

    // Writes the workbook as a new .xlsx: a template becomes a workbook, the active sheet is the one shown
    // first, and formulas are recalculated when the file is opened. Never replaces an existing file.
    [[nodiscard]] QString saveAs(const QString& path);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace springtest
