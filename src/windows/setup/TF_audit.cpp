#include "windows/setup/TF_audit.h"

#include "calibration/AuditTrail.h"
#include "storage/Schema.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace springtest {

namespace {

enum Column { Time, Operator, File, Section, Key, OldValue, NewValue, ColumnCount };

const QString kUnreadable = QStringLiteral("审计记录无法读取：");

QString entriesText(int shown, int total) {
    return shown == total ? QStringLiteral("共 %1 条").arg(total)
                          : QStringLiteral("显示 %1 条，共 %2 条").arg(shown).arg(total);
}

}  // namespace

TF_audit::TF_audit(const QString& applicationFolder, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TF_audit"));
    setWindowTitle(QStringLiteral("审计记录"));

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("FilterEdit"));
    m_filter->setPlaceholderText(QStringLiteral("按段名或参数名筛选"));
    m_filter->setClearButtonEnabled(true);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("筛选："), this));
    filterRow->addWidget(m_filter, 1);

    m_grid = new QTableWidget(0, ColumnCount, this);
    m_grid->setObjectName(QStringLiteral("AuditGrid"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("时间"), QStringLiteral("操作员"),
                                       QStringLiteral("文件"), QStringLiteral("段"), QStringLiteral("参数"),
                                       QStringLiteral("原值"), QStringLiteral("新值")});
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->verticalHeader()->setVisible(false);
    m_grid->horizontalHeader()->setStretchLastSection(true);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setAutoDefault(false);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(m_status, 1);
    bottomRow->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(m_grid, 1);
    layout->addLayout(bottomRow);
    resize(820, 480);

    QString error;
    std::optional<QList<AuditEntry>> entries = readAudit(schemeDatabasePath(applicationFolder), &error);
    if (!entries) {
        m_status->setText(kUnreadable + error);
        m_filter->setEnabled(false);
    } else {
        std::reverse(entries->begin(), entries->end());  // the latest change is what one looks for first
        m_entries = int(entries->size());
        m_grid->setRowCount(m_entries);
        for (int row = 0; row < m_entries; ++row) {
            const AuditEntry& e = entries->at(row);
            const QString cells[ColumnCount] = {e.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                                e.operatorName,
                                                e.file,
                                                e.section,
                                                e.key,
                                                e.oldValue,
                                                e.newValue};
            for (int column = 0; column < ColumnCount; ++column) {
                auto* item = new QTableWidgetItem(cells[column]);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                m_grid->setItem(row, column, item);
            }
        }
        m_grid->resizeColumnsToContents();
        m_status->setText(entriesText(m_entries, m_entries));
    }

    connect(m_filter, &QLineEdit::textChanged, this, &TF_audit::applyFilter);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
}

int TF_audit::shownRows() const {
    int shown = 0;
    for (int row = 0; row < m_grid->rowCount(); ++row)
        if (!m_grid->isRowHidden(row)) ++shown;
    return shown;
}

void TF_audit::applyFilter(const QString& text) {
    const QString wanted = text.trimmed();
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        const bool matches = wanted.isEmpty() ||
                             m_grid->item(row, Key)->text().contains(wanted, Qt::CaseInsensitive) ||
                             m_grid->item(row, Section)->text().contains(wanted, Qt::CaseInsensitive);
        m_grid->setRowHidden(row, !matches);
    }
    m_status->setText(entriesText(shownRows(), m_entries));
}

}  // namespace springtest
