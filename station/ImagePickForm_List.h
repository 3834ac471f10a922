#ifndef STATION_IMAGEPICKFORM_LIST_H
#define STATION_IMAGEPICKFORM_LIST_H

#include <QWidget>

class QListView;
class imageInfoListModel;

// The image browser's file list: a list view over imageInfoListModel.
class ImagePickForm_List : public QWidget
{
    Q_OBJECT

public:
    explicit ImagePickForm_List(QWidget *parent = nullptr);

    QListView *listView() const { return view; }
    imageInfoListModel *model() const { return entries; }

private:
    QListView *view;
    imageInfoListModel *entries;
};

#endif
