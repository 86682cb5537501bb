#include "workbook/Workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <map>

#include "workbook/CellAddress.h"
#include "workbook/OpcPackage.h"
#include "workbook/SharedStrings.h"
#include "workbook/SheetPicture.h"
#include "workbook/StyleSheet.h"
#include "workbook/WorksheetXml.h"
#include "workbook/XmlNodes.h"

namespace springtest {

namespace {

const QString kSheetMain =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
const QString kTemplateMain =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml");
const QString kMacroSheetMain = QStringLiteral("application/vnd.ms-excel.sheet.macroEnabled.main+xml");
const QString kMacroTemplateMain = QStringLiteral("application/vnd.ms-excel.template.macroEnabled.main+xml");
const QString kRelationshipTypes =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");

// The order of a workbook part's children that Office insists on.
const std::initializer_list<const char*> kWorkbookOrder = {"fileVersion",    "fileSharing",
                                                           "workbookPr",     "workbookProtection",
                                                           "bookViews",      "sheets",
                                                           "functionGroups", "externalReferences",
                                                           "definedNames",   "calcPr",
                                                           "oleSize",        "customWorkbookViews",
                                                           "pivotCaches",    "smartTagPr",
                                                           "smartTagTypes",  "webPublishing",
                                                           "fileRecoveryPr", "webPublishObjects",
                                                           "extLst"};

// A cell holds at most this many characters; a longer text would make Office repair the file.
constexpr int kMaxCellText_chars = 32767;
constexpr qint64 kMaxFile_bytes = qint64(256) * 1024 * 1024;

struct SheetEntry {
    QString name;
    QString part;  // empty when the sheet names no part
    bool worksheet = false;
    bool visible = true;
};

}  // namespace

struct Workbook::Impl {
    OpcPackage package;
    QString path;
    QString workbookPart;
    QList<SheetEntry> sheets;  // every sheet in workbook order
    QList<int> worksheets;     // the worksheets among them
    int active = -1;           // index into worksheets
    int openedTab = 0;         // the sheet shown first when the file was opened
    std::map<QString, std::unique_ptr<WorksheetXml>> loaded;  // by part
    QString stringsPart;
    std::unique_ptr<SharedStrings> strings;
    QString stylesPart;
    std::unique_ptr<StyleSheet> styles;

    QString load();
    QString activeCheck() const;
    const QString& activePart() const { return sheets[worksheets[active]].part; }
    WorksheetXml* worksheet(const QString& part, QString* error);
    SharedStrings* sharedStrings(QString* error);
    StyleSheet* styleSheet(QString* error);
    pugi::xml_node workbookRoot() {
        pugi::xml_document* doc = package.xml(workbookPart);
        return doc ? xml::rootElement(*doc) : pugi::xml_node();
    }
    void prepareSave();
};

QString Workbook::Impl::load() {
    for (const OpcPackage::Relationship& r : package.relationships(QString())) {
        if (OpcPackage::hasType(r, "officeDocument") && package.contains(r.part)) workbookPart = r.part;
    }
    if (workbookPart.isEmpty()) return QStringLiteral("the package holds no document");
    const QString type = package.contentType(workbookPart);
    if (type != kSheetMain && type != kTemplateMain && type != kMacroSheetMain && type != kMacroTemplateMain)
        return QStringLiteral("not a spreadsheet workbook (%1)")
            .arg(type.isEmpty() ? QStringLiteral("no type") : type);
    QString error;
    pugi::xml_document* doc = package.xml(workbookPart, &error);
    if (!doc) return error;
    const pugi::xml_node root = xml::rootElement(*doc);
    if (!xml::is(root, "workbook")) return QStringLiteral("the workbook part is no workbook");

    const QList<OpcPackage::Relationship> rels = package.relationships(workbookPart);
    for (const OpcPackage::Relationship& r : rels) {
        if (OpcPackage::hasType(r, "sharedStrings") && package.contains(r.part)) stringsPart = r.part;
        if (OpcPackage::hasType(r, "styles") && package.contains(r.part)) stylesPart = r.part;
    }
    for (pugi::xml_node s = xml::child(xml::child(root, "sheets"), "sheet"); s;
         s = xml::nextSibling(s, "sheet")) {
        SheetEntry entry;
        entry.name = xml::text(s.attribute("name"));
        const QString state = xml::text(s.attribute("state"));
        entry.visible = state.isEmpty() || state == QLatin1String("visible");
        const QString id = xml::text(xml::relationshipAttribute(s, "id"));
        for (const OpcPackage::Relationship& r : rels) {
            if (r.id != id) continue;
            entry.part = r.part;
            entry.worksheet = OpcPackage::hasType(r, "worksheet");
        }
        if (entry.worksheet && !package.contains(entry.part))
            return QStringLiteral("the sheet %1 has no worksheet part").arg(entry.name);
        if (entry.worksheet) worksheets << static_cast<int>(sheets.size());
        sheets << entry;
    }
    openedTab = xml::intAttribute(xml::child(xml::child(root, "bookViews"), "workbookView"), "activeTab", 0);
    active = worksheets.isEmpty() ? -1 : 0;
    for (int i = 0; i < worksheets.size(); ++i) {
        if (worksheets[i] == openedTab) active = i;
    }
    return {};
}

QString Workbook::Impl::activeCheck() const {
    if (active < 0) return QStringLiteral("the workbook has no worksheet");
    return {};
}

WorksheetXml* Workbook::Impl::worksheet(const QString& part, QString* error) {
    const auto it = loaded.find(part);
    if (it != loaded.end()) return it->second.get();
    pugi::xml_document* doc = package.xml(part, error);
    if (!doc) return nullptr;
    auto sheet = std::make_unique<WorksheetXml>();
    if (const QString why = sheet->attach(doc); !why.isEmpty()) {
        if (error) *error = QStringLiteral("%1: %2").arg(part, why);
        return nullptr;
    }
    return loaded.emplace(part, std::move(sheet)).first->second.get();
}

SharedStrings* Workbook::Impl::sharedStrings(QString* error) {
    if (strings) return strings.get();
    if (stringsPart.isEmpty()) {
        stringsPart = QStringLiteral("xl/sharedStrings.xml");
        if (package.contains(stringsPart))
            stringsPart = package.freeName(QStringLiteral("xl/sharedStrings"), QStringLiteral(".xml"));
        package.setBytes(
            stringsPart,
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"0\" "
            "uniqueCount=\"0\"/>");
        package.setOverride(
            stringsPart,
            QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"));
        package.addRelationship(workbookPart, kRelationshipTypes + QStringLiteral("sharedStrings"),
                                stringsPart);
    }
    pugi::xml_document* doc = package.xml(stringsPart, error);
    if (!doc) return nullptr;
    auto made = std::make_unique<SharedStrings>();
    if (const QString why = made->attach(doc); !why.isEmpty()) {
        if (error) *error = why;
        return nullptr;
    }
    strings = std::move(made);
    return strings.get();
}

StyleSheet* Workbook::Impl::styleSheet(QString* error) {
    if (styles) return styles.get();
    if (stylesPart.isEmpty()) {
        stylesPart = QStringLiteral("xl/styles.xml");
        if (package.contains(stylesPart))
            stylesPart = package.freeName(QStringLiteral("xl/styles"), QStringLiteral(".xml"));
        package.setBytes(stylesPart, StyleSheet::minimal());
        package.setOverride(
            stylesPart,
            QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"));
        package.addRelationship(workbookPart, kRelationshipTypes + QStringLiteral("styles"), stylesPart);
    }
    pugi::xml_document* doc = package.xml(stylesPart, error);
    if (!doc) return nullptr;
    auto made = std::make_unique<StyleSheet>();
    if (const QString why = made->attach(doc); !why.isEmpty()) {
        if (error) *error = why;
        return nullptr;
    }
    styles = std::move(made);
    return styles.get();
}

void Workbook::Impl::prepareSave() {
    const QString type = package.contentType(workbookPart);
    if (type == kTemplateMain) package.setOverride(workbookPart, kSheetMain);
    if (type == kMacroTemplateMain) package.setOverride(workbookPart, kMacroSheetMain);

    pugi::xml_node root = workbookRoot();
    // Cells were written that formulas read, and their stored results are stale: have them computed again.
    pugi::xml_node calc = xml::child(root, "calcPr");
    if (!calc) calc = xml::insertInOrder(root, "calcPr", kWorkbookOrder);
    xml::setAttribute(calc, "fullCalcOnLoad", 1);
    // Programs that keep stored results when told to calculate on load (LibreOffice by default) still
    // compute a formula that has none.
    for (const SheetEntry& sheet : sheets) {
        if (!sheet.worksheet) continue;
        pugi::xml_document* doc = package.xml(sheet.part);
        if (doc && WorksheetXml::dropFormulaResults(*doc)) package.touch(sheet.part);
    }
    // The calculation chain lists the formula cells; a cell whose formula was replaced would make Office
    // repair the file. It is rebuilt on the next save.
    for (const OpcPackage::Relationship& r : package.relationships(workbookPart)) {
        if (!OpcPackage::hasType(r, "calcChain")) continue;
        package.removeRelationship(workbookPart, r.id);
        package.removeOverride(r.part);
        package.remove(r.part);
    }

    // The active sheet is the one shown when the file is opened, as with a workbook left open on it.
    if (active >= 0 && sheets[worksheets[active]].visible && worksheets[active] != openedTab) {
        const int tab = worksheets[active];
        pugi::xml_node views = xml::child(root, "bookViews");
        if (!views) views = xml::insertInOrder(root, "bookViews", kWorkbookOrder);
        pugi::xml_node view = xml::child(views, "workbookView");
        if (!view) view = xml::appendElement(views, "workbookView");
        xml::setAttribute(view, "activeTab", tab);
        if (xml::intAttribute(view, "firstSheet", 0) > tab) xml::setAttribute(view, "firstSheet", tab);
        for (int i = 0; i < sheets.size(); ++i) {
            if (sheets[i].part.isEmpty() || !package.contains(sheets[i].part)) continue;
            pugi::xml_document* doc = package.xml(sheets[i].part);
            if (doc && WorksheetXml::setTabSelected(*doc, i == tab)) package.touch(sheets[i].part);
        }
        openedTab = tab;
    }
    package.touch(workbookPart);

    for (auto& [part, sheet] : loaded) {
        sheet->finish();
        package.touch(part);
    }
    if (strings) {
        strings->finish();
        package.touch(stringsPart);
    }
    if (styles) package.touch(stylesPart);
}

Workbook::Workbook() = default;
Workbook::~Workbook() = default;
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;

QString Workbook::open(const QString& path) {
    m_impl.reset();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    // Templates are kilobytes; a file this large is no report template, and reading it would only fill
    // memory.
    if (file.size() > kMaxFile_bytes)
        return QStringLiteral("%1 is too large for a workbook").arg(QDir::toNativeSeparators(path));
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    QString error = impl->package.load(file.readAll());
    if (error.isEmpty()) error = impl->load();
    if (!error.isEmpty()) return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), error);
    m_impl = std::move(impl);
    return {};
}

bool Workbook::isOpen() const {
    return m_impl != nullptr;
}

QString Workbook::path() const {
    return m_impl ? m_impl->path : QString();
}

QStringList Workbook::sheetNames() const {
    QStringList names;
    if (m_impl) {
        for (int i : m_impl->worksheets) names << m_impl->sheets[i].name;
    }
    return names;
}

int Workbook::sheetCount() const {
    return m_impl ? static_cast<int>(m_impl->worksheets.size()) : 0;
}

int Workbook::activeSheet() const {
    return m_impl ? m_impl->active + 1 : 0;
}

QString Workbook::activeSheetName() const {
    return m_impl && m_impl->active >= 0 ? m_impl->sheets[m_impl->worksheets[m_impl->active]].name
                                         : QString();
}

QString Workbook::activateSheet(int number) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    if (number < 1 || number > m_impl->worksheets.size())
        return QStringLiteral("the workbook has no sheet %1 (it has %2)")
            .arg(number)
            .arg(m_impl->worksheets.size());
    m_impl->active = number - 1;
    return {};
}

QString Workbook::activateSheet(const QString& name) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    const int at = static_cast<int>(sheetNames().indexOf(name));
    if (at < 0) return QStringLiteral("the workbook has no sheet named \"%1\"").arg(name);
    m_impl->active = at;
    return {};
}

QString Workbook::setCellText(int row, int column, const QString& text) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    if (const QString e = m_impl->activeCheck(); !e.isEmpty()) return e;
    if (row < 1 || row > kMaxSheetRows || column < 1 || column > kMaxSheetColumns)
        return QStringLiteral("no cell at row %1, column %2").arg(row).arg(column);
    QString error;
    WorksheetXml* sheet = m_impl->worksheet(m_impl->activePart(), &error);
    if (!sheet) return error;
    const CellPosition at{row, column};
    if (const QString e = sheet->checkWritable(at); !e.isEmpty()) return e;
    std::optional<int> index;
    if (!text.isEmpty()) {
        SharedStrings* strings = m_impl->sharedStrings(&error);
        if (!strings) return error;
        index = strings->indexOf(text.left(kMaxCellText_chars));
    }
    sheet->setValue(at, index);
    return {};
}

QString Workbook::cellText(int row, int column) const {
    if (!m_impl || m_impl->active < 0) return {};
    WorksheetXml* sheet = m_impl->worksheet(m_impl->activePart(), nullptr);
    if (!sheet) return {};
    const pugi::xml_node c = sheet->findCell({row, column});
    if (!c) return {};
    const QString type = xml::text(c.attribute("t"));
    if (type == QLatin1String("s")) {
        SharedStrings* strings = m_impl->stringsPart.isEmpty() ? nullptr : m_impl->sharedStrings(nullptr);
        return strings ? strings->text(xml::text(xml::child(c, "v")).toInt()) : QString();
    }
    if (type == QLatin1String("inlineStr")) {
        QString out;
        const pugi::xml_node is = xml::child(c, "is");
        for (pugi::xml_node n = is.first_child(); n; n = n.next_sibling()) {
            if (xml::is(n, "t")) out += xml::text(n);
            if (xml::is(n, "r")) out += xml::text(xml::child(n, "t"));
        }
        return SharedStrings::decode(out);
    }
    return SharedStrings::decode(xml::text(xml::child(c, "v")));
}

QString Workbook::setCellNumber(int row, int column, double value) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    if (const QString e = m_impl->activeCheck(); !e.isEmpty()) return e;
    if (row < 1 || row > kMaxSheetRows || column < 1 || column > kMaxSheetColumns)
        return QStringLiteral("no cell at row %1, column %2").arg(row).arg(column);
    if (!std::isfinite(value)) return QStringLiteral("%1 is no number a cell can hold").arg(value);
    QString error;
    WorksheetXml* sheet = m_impl->worksheet(m_impl->activePart(), &error);
    if (!sheet) return error;
    const CellPosition at{row, column};
    if (const QString e = sheet->checkWritable(at); !e.isEmpty()) return e;
    // As few digits as read back as the same number.
    sheet->setNumber(at, QString::number(value, 'g', QLocale::FloatingPointShortest));
    return {};
}

QString Workbook::addSheet(const QString& name) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    static const QString kForbidden = QStringLiteral(":\\/?*[]");
    if (name.isEmpty() || name.size() > 31 ||
        std::any_of(name.begin(), name.end(), [](QChar c) { return kForbidden.contains(c); }))
        return QStringLiteral("\"%1\" cannot name a sheet").arg(name);
    for (const SheetEntry& s : m_impl->sheets)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return QStringLiteral("the workbook has a sheet named \"%1\" already").arg(s.name);
    pugi::xml_node root = m_impl->workbookRoot();
    pugi::xml_node list = xml::child(root, "sheets");
    if (!list) return QStringLiteral("the workbook part lists no sheets");

    // The new part speaks the workbook's own dialect: its namespace, and the relationship type its
    // worksheets already have.
    const std::string prefix = xml::prefixOf(root);
    const QString ns = xml::text(root.attribute(
        (prefix.empty() ? std::string("xmlns") : "xmlns:" + prefix.substr(0, prefix.size() - 1)).c_str()));
    QString type = kRelationshipTypes + QStringLiteral("worksheet");
    for (const OpcPackage::Relationship& r : m_impl->package.relationships(m_impl->workbookPart))
        if (OpcPackage::hasType(r, "worksheet")) type = r.type;
    const QString part =
        m_impl->package.freeName(QStringLiteral("xl/worksheets/sheet"), QStringLiteral(".xml"));
    m_impl->package.setBytes(part,
                             QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                        "<worksheet xmlns=\"") +
                                 (ns.isEmpty() ? QByteArray("http://schemas.openxmlformats.org/"
                                                            "spreadsheetml/2006/main")
                                               : ns.toUtf8()) +
                                 "\"><sheetData/></worksheet>");
    m_impl->package.setOverride(
        part, QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"));
    const QString id = m_impl->package.addRelationship(m_impl->workbookPart, type, part);

    int sheetId = 0;
    for (pugi::xml_node s = xml::child(list, "sheet"); s; s = xml::nextSibling(s, "sheet"))
        sheetId = std::max(sheetId, xml::intAttribute(s, "sheetId", 0));
    pugi::xml_node entry = xml::appendElement(list, "sheet");
    xml::setAttribute(entry, "name", name);
    xml::setAttribute(entry, "sheetId", sheetId + 1);
    xml::setRelationshipAttribute(entry, "id", id);
    m_impl->package.touch(m_impl->workbookPart);

    m_impl->worksheets << static_cast<int>(m_impl->sheets.size());
    m_impl->sheets << SheetEntry{name, part, true, true};
    m_impl->active = static_cast<int>(m_impl->worksheets.size()) - 1;
    return {};
}

QString Workbook::setCellNumberFormat(int row, int column, const QString& formatCode) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    if (const QString e = m_impl->activeCheck(); !e.isEmpty()) return e;
    if (row < 1 || row > kMaxSheetRows || column < 1 || column > kMaxSheetColumns)
        return QStringLiteral("no cell at row %1, column %2").arg(row).arg(column);
    if (formatCode.isEmpty()) return QStringLiteral("no number format given");
    QString error;
    WorksheetXml* sheet = m_impl->worksheet(m_impl->activePart(), &error);
    if (!sheet) return error;
    StyleSheet* styles = m_impl->styleSheet(&error);
    if (!styles) return error;
    pugi::xml_node c = sheet->cell({row, column});
    sheet->setStyle(c, styles->withNumberFormat(sheet->style(c), formatCode));
    return {};
}

QString Workbook::setCellDateTime(int row, int column, const QDateTime& when) {
    if (!when.isValid()) return QStringLiteral("no date");
    // Spreadsheets count days from 1899-12-30 and keep the time of day as the fraction.
    static const QDate kEpoch(1899, 12, 30);
    const double days =
        static_cast<double>(kEpoch.daysTo(when.date())) + when.time().msecsSinceStartOfDay() / 86400000.0;
    if (QString error = setCellNumber(row, column, days); !error.isEmpty()) return error;
    return setCellNumberFormat(row, column, QStringLiteral("yyyy-mm-dd hh:mm:ss"));
}

QString Workbook::carryNumberFormats(const QString& source) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    if (const QString e = m_impl->activeCheck(); !e.isEmpty()) return e;
    const int sourceAt = static_cast<int>(sheetNames().indexOf(source));
    if (sourceAt < 0) return QStringLiteral("the workbook has no sheet named \"%1\"").arg(source);
    QString error;
    WorksheetXml* target = m_impl->worksheet(m_impl->activePart(), &error);
    if (!target) return error;
    WorksheetXml* from = m_impl->worksheet(m_impl->sheets[m_impl->worksheets[sourceAt]].part, &error);
    if (!from) return error;
    StyleSheet* styles = m_impl->styleSheet(&error);
    if (!styles) return error;
    // 'Sheet name'!$C$4 or Name!C4
    static const QRegularExpression reference(QStringLiteral(
        "(?:'((?:[^']|'')+)'|([^\\s'!(),=&+\\-*/<>:;\"^%]+))!\\$?([A-Za-z]{1,3})\\$?([0-9]+)"));
    for (const auto& [at, formula] : target->formulas()) {
        std::optional<CellPosition> only;
        bool several = false;
        for (auto m = reference.globalMatch(formula); m.hasNext();) {
            const QRegularExpressionMatch hit = m.next();
            QString sheetName = hit.captured(1).isEmpty() ? hit.captured(2) : hit.captured(1);
            sheetName.replace(QStringLiteral("''"), QStringLiteral("'"));
            if (sheetName != source) continue;
            const auto cell = parseCellReference(hit.captured(3).toUpper() + hit.captured(4));
            if (!cell) continue;
            if (only && !(*only == *cell)) several = true;
            only = cell;
        }
        if (!only || several) continue;
        pugi::xml_node c = target->cell(at);
        if (!styles->numberFormatOf(target->style(c)).isEmpty()) continue;
        const pugi::xml_node shown = from->findCell(*only);
        if (!shown) continue;
        const QString code = styles->numberFormatOf(from->style(shown));
        if (!code.isEmpty()) target->setStyle(c, styles->withNumberFormat(target->style(c), code));
    }
    return {};
}

QString Workbook::setSheetHidden(int number, bool hidden) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    if (number < 1 || number > m_impl->worksheets.size())
        return QStringLiteral("the workbook has no sheet %1 (it has %2)")
            .arg(number)
            .arg(m_impl->worksheets.size());
    if (hidden && number - 1 == m_impl->active) return QStringLiteral("the active sheet cannot be hidden");
    const int index = m_impl->worksheets[number - 1];
    pugi::xml_node list = xml::child(m_impl->workbookRoot(), "sheets");
    int i = 0;
    for (pugi::xml_node s = xml::child(list, "sheet"); s; s = xml::nextSibling(s, "sheet"), ++i) {
        if (i != index) continue;
        if (hidden)
            xml::setAttribute(s, "state", QStringLiteral("hidden"));
        else
            s.remove_attribute("state");
    }
    m_impl->sheets[index].visible = !hidden;
    m_impl->package.touch(m_impl->workbookPart);
    return {};
}

QString Workbook::setCellFontColor(int row, int column, int bgrColor) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    if (const QString e = m_impl->activeCheck(); !e.isEmpty()) return e;
    if (row < 1 || row > kMaxSheetRows || column < 1 || column > kMaxSheetColumns)
        return QStringLiteral("no cell at row %1, column %2").arg(row).arg(column);
    if (bgrColor < 0 || bgrColor > 0xFFFFFF) return QStringLiteral("no colour %1").arg(bgrColor);
    QString error;
    WorksheetXml* sheet = m_impl->worksheet(m_impl->activePart(), &error);
    if (!sheet) return error;
    StyleSheet* styles = m_impl->styleSheet(&error);
    if (!styles) return error;
    const int red = bgrColor & 0xFF, green = (bgrColor >> 8) & 0xFF, blue = (bgrColor >> 16) & 0xFF;
    const QString argb = QStringLiteral("FF%1%2%3")
                             .arg(red, 2, 16, QLatin1Char('0'))
                             .arg(green, 2, 16, QLatin1Char('0'))
                             .arg(blue, 2, 16, QLatin1Char('0'))
                             .toUpper();
    pugi::xml_node c = sheet->cell({row, column});
    sheet->setStyle(c, styles->withFontColor(sheet->style(c), argb));
    return {};
}

QString Workbook::placePicture(const QString& rangeAddress, const QByteArray& png) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    if (const QString e = m_impl->activeCheck(); !e.isEmpty()) return e;
    const auto range = parseRangeAddress(rangeAddress);
    if (!range) return QStringLiteral("\"%1\" is no cell range").arg(rangeAddress);
    QString error;
    WorksheetXml* sheet = m_impl->worksheet(m_impl->activePart(), &error);
    if (!sheet) return error;
    return addPicture(m_impl->package, m_impl->activePart(), *sheet, range->first, png);
}

QString Workbook::saveAs(const QString& path) {
    if (!m_impl) return QStringLiteral("no workbook is open");
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo::exists(path)) return QStringLiteral("%1 exists already").arg(shown);
    m_impl->prepareSave();
    QString error;
    const QByteArray bytes = m_impl->package.save(&error);
    if (!error.isEmpty()) return QStringLiteral("%1: %2").arg(shown, error);

    // Written aside and then renamed, so that a file under the final name is always complete.
    const QFileInfo target(path);
    QTemporaryFile file(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!file.open()) return QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush())
        return QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    if (!file.rename(path)) return QStringLiteral("cannot write %1: %2").arg(shown, file.errorString());
    file.setAutoRemove(false);
    return {};
}

}  // namespace springtest
