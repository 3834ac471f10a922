#ifndef STATISTICS_RANGEWINDOW_H
#define STATISTICS_RANGEWINDOW_H

#include "core/ResultQuery.h"

#include <QDialog>

#include <memory>

class ColorButton;
class QBoxLayout;
class ComboBox;
class FromTimeToTime;
class QFont;
class ResultExport;
class TemperatureChartData;
class tipbox;

// What the statistics window and the chart window share: the camera, detect and region
// filters with the range picker, the search button, the loading notice, the export and the
// range read the window waits for. Each read of the result store has an identity: only the
// answer of the read this window started and still waits for is shown, and no search starts
// while any read runs.
class RangeWindow : public QDialog
{
    Q_OBJECT

public:
    ~RangeWindow() override;

    ComboBox *cameraCombo = nullptr;
    ComboBox *detectCombo = nullptr;
    ComboBox *regionCombo = nullptr;
    FromTimeToTime *rangePicker = nullptr;
    ColorButton *searchButton = nullptr;
    std::unique_ptr<tipbox> loadingBox;
    ResultExport *exporter = nullptr;

public slots:
    // The close button; Esc and closing the window go the same way.
    virtual void CloseWindow() = 0;
    void reject() override;

protected:
    RangeWindow(TemperatureChartData *store, QWidget *parent);

    // The filters and the search button on bar: combos of the given width offering the
    // cameras, stages and ten regions, each with "全部" first.
    void BuildFilters(QWidget *bar, int comboWidth, const QFont &font, int cameras, int stages,
                      const QString &searchText);
    // The captions and the fields of the filters, each followed by spacing.
    void LayOutFilters(QBoxLayout *row, int spacing);
    // The three filters (combo item - 1, so -1 for all) and the picker's range.
    ResultQuery FilterQuery() const;

    // The query a search reads: false when there is none to start, after the warning
    // "时间检索不能为空" when the range is not complete, silently while a read runs (the
    // button is disabled then).
    bool SearchQuery(ResultQuery *query);
    // Starts a read of the store's current query and modes; false when none started.
    bool StartRead();
    // Whether read is the answer the window waits for; it then waits no more.
    bool TakeAnswer(quint64 read);
    // The window waits for no read any more; the store drops it.
    void ForgetPendingRead();
    void UpdateSearchButton();
    // The window closes: the loading notice, the read it waits for and open pickers go.
    void CloseRangeParts();

    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

    TemperatureChartData *store;

private:
    void CloseRangePicker();

    quint64 pendingRead = 0;
};

#endif
