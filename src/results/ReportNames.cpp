#include "results/ReportNames.h"

#include "storage/Database.h"

namespace springtest {

QStringList reportNames(const QString& schemeDatabase, QString* error) {
    Database db(schemeDatabase);
    const auto rows = db.select(QStringLiteral("select name from report_name order by rowid"));
    if (!rows) {
        if (error) *error = db.lastError();
        return {};
    }
    QStringList names;
    for (const DbRow& r : *rows) names << r.text(QStringLiteral("name"));
    return names;
}

std::optional<ReportName> loadReportName(const QString& schemeDatabase, const QString& name, QString* error) {
    Database db(schemeDatabase);
    const auto rows =
        db.select(QStringLiteral("select * from report_name where name = ? order by rowid"), {name});
    if (!rows) {
        if (error) *error = db.lastError();
        return std::nullopt;
    }
    if (rows->isEmpty()) return std::nullopt;
    const DbRow& r = rows->first();
    return ReportName{r.text(QStringLiteral("name")), r.text(QStringLiteral("CHART")),
                      r.toBool(QStringLiteral("CHART_FLAG"))};
}

ReportNameOutcome saveReportName(const QString& schemeDatabase, const ReportName& report,
                                 const std::function<bool(const QString&)>& ask) {
    ReportNameOutcome out;
    if (report.name.isEmpty()) {
        out.messages << QStringLiteral("报表名称不能为空!!");
        return out;
    }
    Database db(schemeDatabase);
    const auto rows = db.select(
        QStringLiteral("select rowid from report_name where name = ? order by rowid limit 1"), {report.name});
    bool ok = false;
    if (!rows) {
        out.messages << db.lastError();
        return out;
    }
    if (rows->isEmpty()) {
        ok = db.insertRow(QStringLiteral("report_name"), {{QStringLiteral("name"), report.name},
                                                          {QStringLiteral("CHART"), report.chartRange},
                                                          {QStringLiteral("CHART_FLAG"), report.chartFlag}});
    } else {
        if (!ask(QStringLiteral("该报表名称已经存在，是否覆盖!!"))) return out;
        ok = db.exec(
            QStringLiteral("update report_name set CHART = ?, CHART_FLAG = ? where rowid = ?"),
            {report.chartRange, report.chartFlag ? 1 : 0, rows->first().value(QStringLiteral("rowid"))});
    }
    if (!ok) out.messages << db.lastError();
    out.changed = ok;
    return out;
}

ReportNameOutcome deleteReportName(const QString& schemeDatabase, const QString& name) {
    ReportNameOutcome out;
    Database db(schemeDatabase);
    const auto rows = db.select(
        QStringLiteral("select rowid from report_name where name = ? order by rowid limit 1"), {name});
    if (!rows) {
        out.messages << db.lastError();
        return out;
    }
    if (rows->isEmpty()) {
        out.messages << QStringLiteral("该报表名称已经删除!!");
        return out;
    }
    out.changed = db.exec(QStringLiteral("delete from report_name where rowid = ?"),
                          {rows->first().value(QStringLiteral("rowid"))});
    if (!out.changed) out.messages << db.lastError();
    return out;
}

}  // namespace springtest
