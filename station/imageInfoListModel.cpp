#include "station/imageInfoListModel.h"

imageInfoListModel::imageInfoListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void imageInfoListModel::setEntries(const QStringList &entries)
{
    beginResetModel();
    rows = entries;
    endResetModel();
}

int imageInfoListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows.size();
}

QVariant imageInfoListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() < 0 || index.row() >= rows.size())
        return QVariant();
    return rows.at(index.row());
}
