#ifndef STATION_CAMERAREPORTFORM_H
#define STATION_CAMERAREPORTFORM_H

#include "station/ReportRow.h"

#include <QWidget>

class CameraReportForm_Model;
class QTableView;

// A camera's read-only report table below or beside its view: one row per region of the
// stage judged last. The run controller fills it after every detect stage; the panel shows
// and hides it.
class CameraReportForm : public QWidget
{
    Q_OBJECT

public:
    explicit CameraReportForm(QWidget *parent = nullptr);

    void setRows(const QList<ReportRow> &rows);

    QTableView *tableView() const { return table; }
    CameraReportForm_Model *model() const { return rowsModel; }

protected:
    // Columns 0 to 4 share the width equally with the result column, which takes the rest.
    void resizeEvent(QResizeEvent *event) override;

private:
    QTableView *table;
    CameraReportForm_Model *rowsModel;
};

#endif
