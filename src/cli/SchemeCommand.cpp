#include "cli/SchemeCommand.h"

#include "cli/CallerFolder.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/LeafSchemeInput.h"
#include "cli/SchemeFile.h"
#include "cli/SchemeFileText.h"
#include "platform/OperatorTexts.h"
#include "platform/TextEncoding.h"
#include "session/PlainName.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/LateralSchemeKind.h"
#include "storage/Schema.h"
#include "storage/SchemeCheck.h"
#include "storage/Schemes.h"

#include <QDir>
#include <QFile>

#include <cmath>

namespace springtest {

namespace {

// A scheme file's values, in the file's encoding (older installations write GB18030), read by `read`.
template <typename Input, typename Reader>
int readFromFile(const QString& typedPath, Input& in, Reader read) {
    const QString path = callerPath(typedPath);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return operatorError(QStringLiteral("文件不存在!! %1").arg(QDir::toNativeSeparators(path)));
    QString error;
    if (!read(decodeText(file.readAll()).text, in, error))
        return usageError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), error));
    return 0;
}

// The exit code of a name already taken or of a database that cannot say; 0 when the name is free.
int refuseTakenName(const QString& db, SchemeTable table, const QString& name) {
    QString error;
    if (schemeExists(db, table, name, &error)) return operatorError(kSchemeNameTaken);
    if (!error.isEmpty()) return operatorError(error);
    return 0;
}

QStringList leafNumberOptions() {
    QStringList options;
    for (const LeafSchemeNumber& n : leafSchemeNumbers()) options << n.option();
    return options;
}

bool isNumber(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

// The kind of a scheme on the lateral-stiffness machine, which decides what the standard machines' switches
// do: axial unless given. Nothing, with the exit code in `refused`, when the input cannot say it.
std::optional<LateralSchemeKind> lateralKindOf(const SchemeInput& in, int& refused) {
    if (in.returnStroke || in.tension || in.solid) {
        refused = usageError(QStringLiteral(
            "on the lateral-stiffness machine the kind decides the strokes and there is no spring kind or "
            "solid height: give --kind axial or --kind lateral (kind = in a scheme file), not --return, "
            "--tension or --solid"));
        return std::nullopt;
    }
    if (in.kind.isEmpty()) return LateralSchemeKind::Axial;
    const std::optional<LateralSchemeKind> kind = lateralKindFromText(in.kind);
    if (!kind)
        refused = usageError(QStringLiteral("--kind must be axial (%1) or lateral (%2), not '%3'")
                                 .arg(lateralKindCaption(LateralSchemeKind::Axial),
                                      lateralKindCaption(LateralSchemeKind::Lateral), in.kind));
    return kind;
}

// A standard scheme, or on the lateral-stiffness machine an axial or lateral one: the fields of the machine's
// editor, checked as it checks them and stored as it stores them.
int add(const QString& appFolder, int machineType, const QStringList& args) {
    CommandOptions o(
        args,
        {QStringLiteral("name"), QStringLiteral("style"), QStringLiteral("points"), QStringLiteral("upper"),
         QStringLiteral("lower"), QStringLiteral("initial-force"), QStringLiteral("stiffness-max"),
         QStringLiteral("stiffness-min"), QStringLiteral("file"), QStringLiteral("kind")},
        {QStringLiteral("return"), QStringLiteral("solid"), QStringLiteral("tension")});
    if (!o.ok()) return usageError(o.error());
    SchemeInput in;
    QString error;
    if (o.has(QStringLiteral("file")))
        if (const int refused = readFromFile(o.text(QStringLiteral("file")), in, readSchemeFile))
            return refused;
    if (o.has(QStringLiteral("name"))) in.name = o.text(QStringLiteral("name"));
    if (o.has(QStringLiteral("style"))) in.style = o.text(QStringLiteral("style"));
    if (o.has(QStringLiteral("initial-force"))) in.initialForce = o.text(QStringLiteral("initial-force"));
    if (o.has(QStringLiteral("points"))) in.points = schemeList(o.text(QStringLiteral("points")));
    if (o.has(QStringLiteral("upper"))) in.upper = schemeList(o.text(QStringLiteral("upper")));
    if (o.has(QStringLiteral("lower"))) in.lower = schemeList(o.text(QStringLiteral("lower")));
    if (o.has(QStringLiteral("stiffness-max"))) in.stiffnessMax = o.text(QStringLiteral("stiffness-max"));
    if (o.has(QStringLiteral("stiffness-min"))) in.stiffnessMin = o.text(QStringLiteral("stiffness-min"));
    in.returnStroke = in.returnStroke || o.has(QStringLiteral("return"));
    in.solid = in.solid || o.has(QStringLiteral("solid"));
    in.tension = in.tension || o.has(QStringLiteral("tension"));
    if (o.has(QStringLiteral("kind"))) in.kind = o.text(QStringLiteral("kind"));

    std::optional<LateralSchemeKind> lateralKind;
    if (batchKindForMachineType(machineType) == BatchKind::Lateral) {
        int refused = 0;
        lateralKind = lateralKindOf(in, refused);
        if (!lateralKind) return refused;
    } else if (!in.kind.isEmpty()) {
        return usageError(QStringLiteral("--kind (kind = in a scheme file) is for the lateral-stiffness "
                                         "machine (machine type 5), not machine type %1")
                              .arg(machineType));
    }

    if (in.name.trimmed().isEmpty()) return operatorError(kNoSchemeName);
    if (!isPlainName(in.name))
        return operatorError(
            QStringLiteral("a scheme name must not contain line breaks or control characters"));
    const QString db = schemeDatabasePath(appFolder);
    if (const int taken = refuseTakenName(db, SchemeTable::Standard, in.name)) return taken;
    if (!QStringList{"0", "1", "2", "3"}.contains(in.style))
        return usageError(
            QStringLiteral("--style must be 0 (位移-负荷), 1 (变形-负荷), 2 (负荷-位移) or 3 (负荷-变形)"));
    if (in.points.isEmpty() || in.points.size() > 10)
        return usageError(QStringLiteral("give 1 to 10 points"));
    if (in.upper.size() > in.points.size() || in.lower.size() > in.points.size())
        return usageError(QStringLiteral("more limits than points"));
    for (const QString& number : {in.initialForce, in.stiffnessMax, in.stiffnessMin})
        if (!number.isEmpty() && !isNumber(number))
            return usageError(QStringLiteral("not a number: %1").arg(number));

    if (lateralKind && !lateralKindAllowsStyle(*lateralKind, in.style.toInt()))
        return operatorError(lateralStyleRefusal());

    // An axial scheme's points are ordered as a compression spring's.
    const bool compression = lateralKind ? *lateralKind == LateralSchemeKind::Axial : !in.tension;
    QList<SchemePointText> rows;
    for (int k = 0; k < in.points.size(); ++k)
        rows.append({in.points[k], in.upper.value(k), in.lower.value(k)});
    const SchemeCheckResult check =
        checkSchemePoints(in.style, QString::number(in.points.size()), compression, rows);
    if (!check.ok) return operatorError(check.message);

    StandardScheme scheme;
    scheme.scheme_name = in.name;
    scheme.scheme_style = in.style;
    scheme.scheme_jh = lateralKind ? lateralKindStrokes(*lateralKind) : in.returnStroke ? 2 : 1;
    scheme.scheme_load = in.initialForce;
    scheme.scheme_sum = QString::number(in.points.size());
    for (int k = 0; k < in.points.size(); ++k) {
        // A limit left empty is stored as "0", as the editor stores it.
        const QString upper = in.upper.value(k);
        const QString lower = in.lower.value(k);
        scheme.points[static_cast<size_t>(k)] = {in.points[k], upper.isEmpty() ? QStringLiteral("0") : upper,
                                                 lower.isEmpty() ? QStringLiteral("0") : lower};
    }
    scheme.scheme_gangdu_max = in.stiffnessMax;
    scheme.scheme_gangdu_min = in.stiffnessMin;
    scheme.scheme_type = lateralKind ? lateralKindSchemeType(*lateralKind) : !in.tension;
    scheme.scheme_yb = compression && in.solid;
    if (!insertScheme(db, scheme, &error)) return operatorError(kSchemeNotSaved + QLatin1Char(' ') + error);
    printOut(kSchemeSaved);
    return 0;
}

// The leaf-spring editor's fields, from options named after the file's keys ("--set-load" for set_load).
int addLeafSpring(const QString& appFolder, const QStringList& args) {
    QStringList valued{QStringLiteral("name"),  QStringLiteral("style"), QStringLiteral("points"),
                       QStringLiteral("upper"), QStringLiteral("lower"), QStringLiteral("file")};
    for (const LeafSchemeNumber& n : leafSchemeNumbers()) valued << n.option().mid(2);
    CommandOptions o(args, valued, {});
    if (!o.ok())
        return usageError(o.error() + QStringLiteral(" (a leaf-spring scheme takes ") +
                          QStringLiteral("--name, --style, --points, --upper, --lower, --file and ") +
                          leafNumberOptions().join(QStringLiteral(", ")) + QLatin1Char(')'));
    LeafSchemeInput in;
    if (o.has(QStringLiteral("file")))
        if (const int refused = readFromFile(o.text(QStringLiteral("file")), in, readLeafSchemeFile))
            return refused;
    if (o.has(QStringLiteral("name"))) in.name = o.text(QStringLiteral("name"));
    if (o.has(QStringLiteral("style"))) in.style = o.text(QStringLiteral("style"));
    if (o.has(QStringLiteral("points"))) in.points = schemeList(o.text(QStringLiteral("points")));
    if (o.has(QStringLiteral("upper"))) in.upper = schemeList(o.text(QStringLiteral("upper")));
    if (o.has(QStringLiteral("lower"))) in.lower = schemeList(o.text(QStringLiteral("lower")));
    for (const LeafSchemeNumber& n : leafSchemeNumbers())
        if (o.has(n.option().mid(2))) in.*n.field = o.text(n.option().mid(2));

    if (const std::optional<SchemeRefusal> refusal = leafSchemeRefusal(in))
        return refusal->usage ? usageError(refusal->message) : operatorError(refusal->message);
    const QString db = schemeDatabasePath(appFolder);
    if (const int taken = refuseTakenName(db, SchemeTable::LeafSpring, in.name)) return taken;
    QString error;
    if (!insertScheme(db, leafSchemeRecord(in), &error))
        return operatorError(kSchemeNotSaved + QLatin1Char(' ') + error);
    printOut(kSchemeSaved);
    return 0;
}

int list(const QString& appFolder, SchemeTable table) {
    QString error;
    const QStringList names = schemeNames(schemeDatabasePath(appFolder), table, &error);
    if (!error.isEmpty()) return operatorError(error);
    for (const QString& n : names) printOut(n);
    return 0;
}

// The lateral machine's schemes with their kind after a tab, which no scheme name holds.
int listLateral(const QString& appFolder) {
    Database db(schemeDatabasePath(appFolder));
    const auto rows = db.select(QStringLiteral("SELECT scheme_name, scheme_type FROM test_information"));
    if (!rows) return operatorError(db.lastError());
    for (const DbRow& row : *rows)
        printOut(row.text(QStringLiteral("scheme_name")) + QLatin1Char('\t') +
                 lateralKindCaption(lateralKindOfSchemeType(row.toBool(QStringLiteral("scheme_type")))));
    return 0;
}

// The named scheme as a scheme file, for reading or for `scheme add --file` on another installation.
int show(const QString& appFolder, int machineType, const QStringList& args) {
    const CommandOptions o(args, {QStringLiteral("name")}, {});
    if (!o.ok()) return usageError(o.error());
    if (!o.has(QStringLiteral("name"))) return usageError(QStringLiteral("scheme show needs --name NAME"));
    const QString name = o.text(QStringLiteral("name"));
    const QString db = schemeDatabasePath(appFolder);
    QString error;
    std::optional<QString> text;
    if (batchKindForMachineType(machineType) == BatchKind::LeafSpring) {
        if (const auto scheme = loadLeafSpringScheme(db, name, &error))
            text = leafSchemeFileText(*scheme, error);
    } else if (const auto scheme = loadStandardScheme(db, name, &error)) {
        text = standardSchemeFileText(*scheme, batchKindForMachineType(machineType) == BatchKind::Lateral,
                                      error);
    }
    if (!text) return operatorError(error.isEmpty() ? kNoSuchScheme : error);
    printOut(text->chopped(1));  // without the last line's end, which printing adds
    return 0;
}

}  // namespace

int runSchemeCommand(const QString& applicationFolder, int machineType, const QStringList& args) {
    if (args.isEmpty()) return usageError(QStringLiteral("scheme needs a subcommand: add, list or show"));
    const QString sub = args.first();
    const SchemeTable table = schemeTableOf(batchKindForMachineType(machineType));
    if (sub == QLatin1String("add"))
        return table == SchemeTable::LeafSpring ? addLeafSpring(applicationFolder, args.mid(1))
                                                : add(applicationFolder, machineType, args.mid(1));
    if (sub == QLatin1String("list")) {
        const CommandOptions o(args.mid(1), {}, {});
        if (!o.ok()) return usageError(o.error());
        return batchKindForMachineType(machineType) == BatchKind::Lateral ? listLateral(applicationFolder)
                                                                          : list(applicationFolder, table);
    }
    if (sub == QLatin1String("show")) return show(applicationFolder, machineType, args.mid(1));
    return usageError(QStringLiteral("unknown scheme subcommand: %1").arg(sub));
}

}  // namespace springtest
