#include "cli/SchemeCommand.h"

#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "platform/ProfileFile.h"
#include "storage/Schema.h"
#include "storage/SchemeCheck.h"
#include "storage/Schemes.h"

#include <QFile>

namespace springtest {

namespace {

QStringList listOf(const QString& text) {
    if (text.trimmed().isEmpty()) return {};
    QStringList items = text.split(QLatin1Char(','));
    for (QString& s : items) s = s.trimmed();
    return items;
}

// The options of `scheme add`, from the command line or from a small file with a [scheme] section.
struct SchemeInput {
    QString name, style = QStringLiteral("0"), initialForce = QStringLiteral("0.5");
    QStringList points, upper, lower;
    QString stiffnessMax = QStringLiteral("0"), stiffnessMin = QStringLiteral("0");
    bool returnStroke = false, solid = false, tension = false;
};

bool fromFile(const QString& path, SchemeInput& in, QString& error) {
    if (!QFile::exists(path)) {
        error = QStringLiteral("no such scheme file: %1").arg(path);
        return false;
    }
    const ProfileSnapshot f = ProfileFile(path).snapshot();
    const QString s = QStringLiteral("scheme");
    in.name = f.readString(s, QStringLiteral("name"), in.name);
    in.style = f.readString(s, QStringLiteral("style"), in.style);
    in.initialForce = f.readString(s, QStringLiteral("initial_force"), in.initialForce);
    in.points = listOf(f.readString(s, QStringLiteral("points"), QString()));
    in.upper = listOf(f.readString(s, QStringLiteral("upper"), QString()));
    in.lower = listOf(f.readString(s, QStringLiteral("lower"), QString()));
    in.stiffnessMax = f.readString(s, QStringLiteral("stiffness_max"), in.stiffnessMax);
    in.stiffnessMin = f.readString(s, QStringLiteral("stiffness_min"), in.stiffnessMin);
    in.returnStroke = f.readBool(s, QStringLiteral("return"), false);
    in.solid = f.readBool(s, QStringLiteral("solid"), false);
    in.tension = f.readBool(s, QStringLiteral("tension"), false);
    return true;
}

bool isNumber(const QString& text) {
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

int add(const QString& appFolder, const QStringList& args) {
    CommandOptions o(
        args,
        {QStringLiteral("name"), QStringLiteral("style"), QStringLiteral("points"), QStringLiteral("upper"),
         QStringLiteral("lower"), QStringLiteral("initial-force"), QStringLiteral("stiffness-max"),
         QStringLiteral("stiffness-min"), QStringLiteral("file")},
        {QStringLiteral("return"), QStringLiteral("solid"), QStringLiteral("tension")});
    if (!o.ok()) return usageError(o.error());
    SchemeInput in;
    QString error;
    if (o.has(QStringLiteral("file")) && !fromFile(o.text(QStringLiteral("file")), in, error))
        return usageError(error);
    if (o.has(QStringLiteral("name"))) in.name = o.text(QStringLiteral("name"));
    if (o.has(QStringLiteral("style"))) in.style = o.text(QStringLiteral("style"));
    if (o.has(QStringLiteral("initial-force"))) in.initialForce = o.text(QStringLiteral("initial-force"));
    if (o.has(QStringLiteral("points"))) in.points = listOf(o.text(QStringLiteral("points")));
    if (o.has(QStringLiteral("upper"))) in.upper = listOf(o.text(QStringLiteral("upper")));
    if (o.has(QStringLiteral("lower"))) in.lower = listOf(o.text(QStringLiteral("lower")));
    if (o.has(QStringLiteral("stiffness-max"))) in.stiffnessMax = o.text(QStringLiteral("stiffness-max"));
    if (o.has(QStringLiteral("stiffness-min"))) in.stiffnessMin = o.text(QStringLiteral("stiffness-min"));
    in.returnStroke = in.returnStroke || o.has(QStringLiteral("return"));
    in.solid = in.solid || o.has(QStringLiteral("solid"));
    in.tension = in.tension || o.has(QStringLiteral("tension"));

    if (in.name.trimmed().isEmpty()) return operatorError(QStringLiteral("方案名不能为空!!"));
    const QString db = schemeDatabasePath(appFolder);
    if (schemeExists(db, SchemeTable::Standard, in.name, &error))
        return operatorError(QStringLiteral("该方案名已存在!!"));
    if (!error.isEmpty()) return operatorError(error);
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

    QList<SchemePointText> rows;
    for (int k = 0; k < in.points.size(); ++k)
        rows.append({in.points[k], in.upper.value(k), in.lower.value(k)});
    const SchemeCheckResult check =
        checkSchemePoints(in.style, QString::number(in.points.size()), !in.tension, rows);
    if (!check.ok) return operatorError(check.message);

    StandardScheme scheme;
    scheme.scheme_name = in.name;
    scheme.scheme_style = in.style;
    scheme.scheme_jh = in.returnStroke ? 2 : 1;
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
    scheme.scheme_type = !in.tension;
    scheme.scheme_yb = !in.tension && in.solid;
    if (!insertScheme(db, scheme, &error))
        return operatorError(QStringLiteral("方案保存失败!!") + QLatin1Char(' ') + error);
    printOut(QStringLiteral("方案保存成功!!"));
    return 0;
}

int list(const QString& appFolder) {
    QString error;
    const QStringList names = schemeNames(schemeDatabasePath(appFolder), SchemeTable::Standard, &error);
    if (!error.isEmpty()) return operatorError(error);
    for (const QString& n : names) printOut(n);
    return 0;
}

}  // namespace

int runSchemeCommand(const QString& applicationFolder, const QStringList& args) {
    if (args.isEmpty()) return usageError(QStringLiteral("scheme needs a subcommand: add or list"));
    const QString sub = args.first();
    if (sub == QLatin1String("add")) return add(applicationFolder, args.mid(1));
    if (sub == QLatin1String("list")) return list(applicationFolder);
    return usageError(QStringLiteral("unknown scheme subcommand: %1").arg(sub));
}

}  // namespace springtest
