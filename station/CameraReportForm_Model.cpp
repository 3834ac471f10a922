#include "station/CameraReportForm_Model.h"

#include <QColor>

CameraReportForm_Model::CameraReportForm_Model(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void CameraReportForm_Model::setRows(const QList<ReportRow> &newRows)
{
    beginResetModel();
    rows = newRows;
    endResetModel();
}

int CameraReportForm_Model::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows.size();
}

int CameraReportForm_Model::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CameraReportForm_Model::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rows.size() || index.column() < 0
        || index.column() >= ColumnCount)
        return QVariant();
    const ReportRow &row = rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0: return row.regionNumber;
        case 1: return row.toolName;
        case 2: return row.lowerLimit;
        case 3: return row.upperLimit;
        case 4: return row.measuredValue;
        default: return row.resultOk ? QStringLiteral("OK") : QStringLiteral("NG");
        }
    case Qt::ForegroundRole:
        if (index.column() == ColumnCount - 1)
            return QColor(row.resultOk ? Qt::green : Qt::red);
        return QColor(Qt::white);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return QVariant();
    }
}

QVariant CameraReportForm_Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section;
    switch (section) {
    case 0: return tr("序号");
    case 1: return tr("检测工具");
    case 2: return tr("下限");
    case 3: return tr("上限");
    case 4: return tr("检测值");
    case 5: return tr("结果");
    default: return QVariant();
    }
}

Qt::ItemFlags CameraReportForm_Model::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
