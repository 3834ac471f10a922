#ifndef SETTINGS_RECORDWIDGET_H
#define SETTINGS_RECORDWIDGET_H

#include "settings/TabParamWidget.h"

#include <QSqlDatabase>

#include <memory>

class QListWidget;
class QListWidgetItem;
class QSqlTableModel;
class QTableView;

// The operation-record page: today's rows and those of every earlier day kept in the records
// folder, read only. It edits no setting.
class RecordWidget : public TabParamWidget
{
    Q_OBJECT

public:
    explicit RecordWidget(QWidget *parent);
    ~RecordWidget() override;

    void LoadParams() override {}
    void StoreParams() override {}

    QListWidget *dayList;
    QTableView *table;
    QSqlTableModel *model() const { return tableModel.get(); }

public slots:
    // Shows the day of the list's current row: row 0 is the live record.
    void UpdateRecord(QListWidgetItem *item);

protected:
    // The day list is made anew each time the page shows.
    void showEvent(QShowEvent *event) override;

private:
    QSqlDatabase dbList;
    std::unique_ptr<QSqlTableModel> tableModel;
};

#endif
