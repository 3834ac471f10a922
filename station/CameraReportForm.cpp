#include "station/CameraReportForm.h"

#include "station/CameraReportForm_Model.h"
#include "uikit/StyleHelpers.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int RowHeight = 40;
const int initialColumnWidths[] = {50, 60, 50, 50, 50};

const char reportStyle[] =
    "QWidget{background-color:#262E34;outline:0px;border:none;}"
    "QHeaderView::section{border-style:none;outline:0px;color:white;font-size:16px;background-color:#2687F2;}"
    "QTableView{background-color: #262E34;alternate-background-color: #3D4449;font-size:14px;color: white;border-style:none;outline:0px;gridline-color: rgba(255, 255, 255, 0);}"
    "QTreeView::item { border: 0.5px ; border-style: solid ; border-color: lightgray ;}";

} // namespace

CameraReportForm::CameraReportForm(QWidget *parent)
    : QWidget(parent)
    , table(new QTableView(this))
    , rowsModel(new CameraReportForm_Model(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    table->setObjectName(QStringLiteral("_tableView"));
    table->setModel(rowsModel);
    table->setMinimumHeight(200);
    table->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    for (int column = 0; column < int(std::size(initialColumnWidths)); ++column)
        table->setColumnWidth(column, initialColumnWidths[column]);
    table->setAlternatingRowColors(true);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->verticalHeader()->setVisible(false);
    QHeaderView *header = table->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsMovable(false);
    header->setStretchLastSection(true);
    header->setMinimumSectionSize(60);
    table->verticalHeader()->setDefaultSectionSize(RowHeight);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    table->setFocusPolicy(Qt::NoFocus);
    table->setShowGrid(false);
    table->resizeRowsToContents();

    layout->addWidget(table);
    setDarkStyleSheet(this, QString::fromLatin1(reportStyle));
    setAttribute(Qt::WA_StyledBackground);
    setWindowFlags(Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
    show();
    update();
}

void CameraReportForm::setRows(const QList<ReportRow> &rows)
{
    rowsModel->setRows(rows);
    table->viewport()->update();
    update();
}

void CameraReportForm::resizeEvent(QResizeEvent *event)
{
    const int columnWidth = event->size().width() / CameraReportForm_Model::ColumnCount;
    for (int column = 0; column < CameraReportForm_Model::ColumnCount - 1; ++column)
        table->setColumnWidth(column, columnWidth);
    QWidget::resizeEvent(event);
}
