#ifndef STATISTICS_RESULTEXPORT_H
#define STATISTICS_RESULTEXPORT_H

#include "core/ResultQuery.h"

#include <QObject>
#include <QPointer>

#include <functional>

class TemperatureChartData;
class QWidget;

// The export button of a statistics or chart window: asks for a folder and a confirmation,
// hands the window's query to the result store's export and tells the operator how the export
// it started ended. Only the window that started an export reports its end.
class ResultExport : public QObject
{
    Q_OBJECT

public:
    ResultExport(TemperatureChartData *store, QWidget *window);
    ~ResultExport() override;

    // Kind 1 exports every row of the query, kind 2 only the timed records. Returns whether
    // an export started.
    bool Run(const ResultQuery &query, int kind);

    // Asks for the target folder; the folder dialog unless a test puts something else here.
    std::function<QString(QWidget *window)> chooseFolder;

    // The notice of the last export's end, while it is shown.
    QWidget *endNotice() const { return notice; }

private:
    void Finished(bool succeeded);

    TemperatureChartData *store;
    QWidget *window;
    QPointer<QWidget> notice;
    bool started = false;
};

#endif
