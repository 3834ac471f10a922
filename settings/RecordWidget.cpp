#include "settings/RecordWidget.h"

#include "station/MoJuWizard.h"
#include "uikit/UiKitGlobals.h"

#include <QDate>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QSqlTableModel>
#include <QTableView>

namespace {

const char listConnection[] = "dbList";
const char tableStyle[] =
    "QTableView{color: white;background-color: #262E34;alternate-background-color: #3D4449;"
    "font-size: 20px;}QTableView::item{padding-left: 10px;border: 1px solid #707070;}"
    "QHeaderView::section{font-size: 18px;color: #2687F2;background-color: rgba(38, 135, 242, "
    "0.5);height: 40px;opacity: 0.2;}";

} // namespace

RecordWidget::RecordWidget(QWidget *parent)
    : TabParamWidget(parent)
{
    // The connection outlives the dialog and is taken over by the next one.
    const QString name = QLatin1String(listConnection);
    dbList = QSqlDatabase::contains(name) ? QSqlDatabase::database(name, false)
                                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);

    dayList = new QListWidget(this);
    dayList->setFixedWidth(200);
    dayList->setFont(QFont(QStringLiteral("SimHei"), 25));
    dayList->setStyleSheet(QStringLiteral("QListView{background: #353D45;border: 1px solid #707070;}"
                                          "QListView::item{height: 40px;padding-left: 20px;}"));
    table = new QTableView(this);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setFont(QFont(QStringLiteral("SimHei"), 25));
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto *row = new QHBoxLayout(this);
    row->setSpacing(0);
    row->addWidget(dayList);
    row->addWidget(table);
    connect(dayList, &QListWidget::itemClicked, this, &RecordWidget::UpdateRecord);
}

RecordWidget::~RecordWidget()
{
    // The model lets go of its connection before the view does.
    table->setModel(nullptr);
}

void RecordWidget::showEvent(QShowEvent *event)
{
    dayList->clear();
    dayList->addItem(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    if (mainWindow) {
        QStringList days = mainWindow->operationRecord.recordDir().entryList(
            {QStringLiteral("*.db")}, QDir::Files, QDir::Name);
        for (auto day = days.crbegin(); day != days.crend(); ++day)
            dayList->addItem(QString(*day).remove(QStringLiteral(".db")));
    }
    dayList->setCurrentRow(0);
    UpdateRecord(dayList->item(0));
    TabParamWidget::showEvent(event);
}

void RecordWidget::UpdateRecord(QListWidgetItem *item)
{
    table->setModel(nullptr);
    tableModel.reset();
    if (!item || !mainWindow)
        return;
    if (dayList->currentRow() == 0) {
        OperationRecord &record = mainWindow->operationRecord;
        if (!record.isOpen())
            record.Open();
        tableModel = std::make_unique<QSqlTableModel>(nullptr, record.database());
    } else {
        const QString file = QStringLiteral("%1//%2.db")
                                 .arg(mainWindow->operationRecord.recordDir().absolutePath(), item->text());
        dbList.close();
        dbList.setDatabaseName(file);
        // Reading only: the page can never change a day's record.
        dbList.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!dbList.open())
            return;
        tableModel = std::make_unique<QSqlTableModel>(nullptr, dbList);
    }
    tableModel->setEditStrategy(QSqlTableModel::OnManualSubmit);
    tableModel->setTable(QStringLiteral("RECORD"));
    tableModel->setSort(0, Qt::DescendingOrder);
    tableModel->select();
    tableModel->setHeaderData(0, Qt::Horizontal, uiText(288));
    tableModel->setHeaderData(1, Qt::Horizontal, uiText(289));
    tableModel->setHeaderData(2, Qt::Horizontal, uiText(290));

    table->setModel(tableModel.get());
    table->verticalHeader()->hide();
    table->setColumnWidth(0, 267);
    table->setColumnWidth(1, 250);
    table->setColumnWidth(2, 1030);
    table->setAlternatingRowColors(true);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->horizontalHeader()->setSectionsClickable(false);
    table->verticalHeader()->setDefaultSectionSize(50);
    table->setStyleSheet(QLatin1String(tableStyle));
}
