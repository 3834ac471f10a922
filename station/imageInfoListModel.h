#ifndef STATION_IMAGEINFOLISTMODEL_H
#define STATION_IMAGEINFOLISTMODEL_H

#include <QAbstractListModel>
#include <QStringList>

// The entries of the image browser's file list: one text a row.
class imageInfoListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit imageInfoListModel(QObject *parent = nullptr);

    // Replaces every entry (a model reset).
    void setEntries(const QStringList &entries);
    const QStringList &entries() const { return rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QStringList rows;
};

#endif
