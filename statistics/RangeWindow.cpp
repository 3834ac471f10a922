#include "statistics/RangeWindow.h"

#include "core/TemperatureChartData.h"
#include "core/dataThread.h"
#include "statistics/ResultExport.h"
#include "statistics/WindowParts.h"
#include "uikit/ColorButton.h"
#include "uikit/ComboBox.h"
#include "uikit/DateTimeWidget.h"
#include "uikit/FromTimeToTime.h"
#include "uikit/UiKitGlobals.h"
#include "uikit/Warnbox.h"
#include "uikit/_RollingTime.h"
#include "uikit/tipbox.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>

namespace {

constexpr int RegionChoices = 10;
// UI text entries of the combo items: "Camera %1", "No.%1 detect", "No.%1 ROI".
constexpr int CameraItemEntry = 586;
constexpr int DetectItemEntry = 591;
constexpr int RegionItemEntry = 592;

} // namespace

RangeWindow::RangeWindow(TemperatureChartData *store, QWidget *parent)
    : QDialog(parent), store(store)
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    loadingBox = std::make_unique<tipbox>(tipbox::OkButton);
    loadingBox->hide();
    exporter = new ResultExport(store, this);
    if (dataThread *reader = store->reader()) {
        // A read of the other window keeps the searches waiting too.
        for (auto finished : {&dataThread::readTempFinished, &dataThread::readResFinished})
            connect(reader, finished, this, &RangeWindow::UpdateSearchButton,
                    Qt::QueuedConnection);
    }
}

RangeWindow::~RangeWindow()
{
    ForgetPendingRead();
}

void RangeWindow::BuildFilters(QWidget *bar, int comboWidth, const QFont &font, int cameras,
                               int stages, const QString &searchText)
{
    cameraCombo = filterCombo(bar, comboWidth, font, CameraItemEntry, cameras);
    detectCombo = filterCombo(bar, comboWidth, font, DetectItemEntry, stages);
    regionCombo = filterCombo(bar, comboWidth, font, RegionItemEntry, RegionChoices);
    rangePicker = new FromTimeToTime(bar);
    searchButton = new ColorButton(searchText, bar, 0);
    searchButton->setFixedSize(120, 50);
    styleSearchButton(searchButton);
}

void RangeWindow::LayOutFilters(QBoxLayout *row, int spacing)
{
    QWidget *bar = rangePicker->parentWidget();
    const struct
    {
        QString caption;
        QWidget *field;
    } fields[] = {{tr("相机号"), cameraCombo},
                  {tr("检测号"), detectCombo},
                  {tr("区域号"), regionCombo},
                  {tr("日期时间"), rangePicker}};
    for (const auto &field : fields) {
        row->addWidget(new QLabel(field.caption, bar));
        row->addWidget(field.field);
        if (spacing > 0)
            row->addSpacing(spacing);
    }
    row->addWidget(searchButton);
}

ResultQuery RangeWindow::FilterQuery() const
{
    ResultQuery query;
    query.camera = filterIndex(cameraCombo);
    query.detect = filterIndex(detectCombo);
    query.region = filterIndex(regionCombo);
    query.flag = 1;
    query.from = rangePicker->fromTime;
    query.to = rangePicker->toTime;
    return query;
}

bool RangeWindow::SearchQuery(ResultQuery *query)
{
    *query = FilterQuery();
    if (!query->from.isValid() || !query->to.isValid()) {
        Warnbox box;
        box.setText(tr("时间检索不能为空"));
        box.exec();
        return false;
    }
    return !store->isReading();
}

bool RangeWindow::StartRead()
{
    pendingRead = store->StartQuery();
    UpdateSearchButton();
    return pendingRead != 0;
}

bool RangeWindow::TakeAnswer(quint64 read)
{
    UpdateSearchButton();
    if (read == 0 || read != pendingRead)
        return false;
    pendingRead = 0;
    return true;
}

void RangeWindow::ForgetPendingRead()
{
    store->DropRead(pendingRead);
    pendingRead = 0;
}

void RangeWindow::UpdateSearchButton()
{
    searchButton->setEnabled(!store->isReading());
}

void RangeWindow::CloseRangeParts()
{
    loadingBox->close();
    ForgetPendingRead();
    if (openDateTimeWidget)
        CloseRangePicker();
    closeOpenRollingTime();
}

void RangeWindow::CloseRangePicker()
{
    openDateTimeWidget->close();
    openDateTimeWidget = nullptr;
    rangePicker->clickCount = 0;
}

void RangeWindow::reject()
{
    CloseWindow();
}

bool RangeWindow::event(QEvent *event)
{
    // A press that reaches the window closes an open range picker on every second count and
    // an open time popup at once.
    if (event->type() == QEvent::MouseButtonPress) {
        ++rangePicker->clickCount;
        if (openDateTimeWidget && rangePicker->clickCount % 2 == 1)
            CloseRangePicker();
        closeOpenRollingTime();
    }
    return QDialog::event(event);
}

void RangeWindow::showEvent(QShowEvent *event)
{
    UpdateSearchButton();
    QDialog::showEvent(event);
}
