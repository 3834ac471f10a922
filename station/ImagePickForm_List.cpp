#include "station/ImagePickForm_List.h"

#include "station/imageInfoListModel.h"

#include <QHBoxLayout>
#include <QListView>

namespace {
constexpr int PanelWidth = 420;
constexpr int ListWidth = 400;
} // namespace

ImagePickForm_List::ImagePickForm_List(QWidget *parent)
    : QWidget(parent)
    , view(new QListView(this))
    , entries(new imageInfoListModel(this))
{
    setFixedWidth(PanelWidth);
    view->setObjectName(QStringLiteral("imageInfoListView"));
    view->setFixedWidth(ListWidth);
    view->setModel(entries);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 20, 10, 20);
    row->addWidget(view);
    setStyleSheet(QStringLiteral("QWidget{background-color:#313131;outline:0px;border:none;}"
                                 "QListView{background-color: #1E1E1E;color: white;font-size: 16px;}"
                                 "QListView::item{height: 40px;padding-left: 20px;}"));
    setAttribute(Qt::WA_StyledBackground);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
}
