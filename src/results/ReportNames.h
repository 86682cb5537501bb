#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace springtest {

// Named report layouts (`report_name` of the scheme database): whether a report pastes the curve picture
// (`CHART_FLAG`) and at which range (`CHART`). Names are bound as parameters.
struct ReportName {
    QString name;
    QString chartRange;
    bool chartFlag = false;
};

QStringList reportNames(const QString& schemeDatabase, QString* error = nullptr);
std::optional<ReportName> loadReportName(const QString& schemeDatabase, const QString& name,
                                         QString* error = nullptr);

// The report name window's "保存" and "删除": the messages to show, in order; `ask` answers the overwrite
// question (true = Yes).
struct ReportNameOutcome {
    bool changed = false;
    QStringList messages;
};
ReportNameOutcome saveReportName(const QString& schemeDatabase, const ReportName& report,
                                 const std::function<bool(const QString& question)>& ask);
ReportNameOutcome deleteReportName(const QString& schemeDatabase, const QString& name);

}  // namespace springtest
