#include "statistics/ResultExport.h"

#include "core/TemperatureChartData.h"
#include "uikit/tipbox.h"

#include <QFileDialog>

namespace {

int ask(int buttons, const QString &text)
{
    tipbox box(buttons);
    box.setText(text);
    return box.exec();
}

} // namespace

ResultExport::ResultExport(TemperatureChartData *store, QWidget *window)
    : QObject(window), store(store), window(window)
{
    chooseFolder = [](QWidget *) {
        // Without a parent: the windows' style sheets (white labels, dark backgrounds) would
        // otherwise reach the dialog and leave its labels unreadable.
        return QFileDialog::getExistingDirectory(
            nullptr, QStringLiteral("choose directory"), QString(),
            QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    };
    connect(store, &TemperatureChartData::exportFinish, this, &ResultExport::Finished);
}

ResultExport::~ResultExport()
{
    delete notice.data();
}

bool ResultExport::Run(const ResultQuery &query, int kind)
{
    if (store->isExportBusy()) {
        ask(tipbox::OkButton, tr("上一个导出任务未完成"));
        return false;
    }
    const QString folder = chooseFolder(window);
    if (folder.isEmpty()) {
        ask(tipbox::OkButton, tr("请先选择导出路径"));
        return false;
    }
    if (ask(tipbox::OkCancelButtons, tr("确定是否导出")) != QDialog::Accepted)
        return false;
    store->SetQuery(query);
    // Set first: a program that cannot be started reports its end inside ExportData.
    started = true;
    const bool running = store->ExportData(kind, folder);
    if (!running)
        started = false;
    return running;
}

void ResultExport::Finished(bool succeeded)
{
    if (!started)
        return;
    started = false;
    delete notice.data();
    // Without a parent, as every notice of the station; it goes when it is answered.
    auto *box = new tipbox(tipbox::OkButton);
    box->setText(succeeded ? tr("数据导出完成") : tr("数据导出失败"));
    connect(box, &QDialog::finished, box, &QObject::deleteLater);
    notice = box;
    box->show();
}
