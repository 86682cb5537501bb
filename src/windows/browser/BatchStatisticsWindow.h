#pragma once

#include <QDialog>
#include <QList>

#include "results/BatchStatistics.h"

class QCustomPlot;
class QTableWidget;

namespace springtest {

// The result browser's statistics page "批次统计": the batch's statistics table, and for the quantity chosen
// in it a histogram with its limits and a run chart (each test's value in test order, with the mean and the
// limits). It only shows what the core computed (batchStatistics); the leaf-spring and lateral browsers
// open it with their own quantities.
class BatchStatisticsWindow : public QDialog {
    Q_OBJECT
public:
    BatchStatisticsWindow(const QString& batchName, QList<QuantityRow> rows, QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }
    QCustomPlot* histogram() const { return m_histogram; }
    QCustomPlot* runChart() const { return m_runChart; }
    // The quantity the charts show (a row of the table); -1 when the batch has none.
    int chosenQuantity() const { return m_chosen; }
    void chooseQuantity(int row);

private:
    void drawHistogram(const QuantityRow& row);
    void drawRunChart(const QuantityRow& row);

    QList<QuantityRow> m_rows;
    QTableWidget* m_table = nullptr;
    QCustomPlot* m_histogram = nullptr;
    QCustomPlot* m_runChart = nullptr;
    int m_chosen = -1;
};

}  // namespace springtest
