#ifndef STATION_CAMERAREPORTFORM_MODEL_H
#define STATION_CAMERAREPORTFORM_MODEL_H

#include "station/ReportRow.h"

#include <QAbstractTableModel>

// The rows of a camera's report table: region number, tool, lower and upper limit, measured
// value and verdict ("OK" green, "NG" red); every cell centred, read-only.
class CameraReportForm_Model : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 6;

    explicit CameraReportForm_Model(QObject *parent = nullptr);

    void setRows(const QList<ReportRow> &rows);
    const QList<ReportRow> &rowList() const { return rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QList<ReportRow> rows;
};

#endif
