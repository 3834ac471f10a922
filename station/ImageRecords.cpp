#include "station/ImageRecords.h"

#include "station/TemplateFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

int templateSlotOfName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^template([0-9]{1,6})\\.bmp$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QVector<TemplateFile> templateFiles(int camera, int stage)
{
    QVector<TemplateFile> files;
    const QDir folder(stageFolder(camera, stage));
    const QFileInfoList entries = folder.entryInfoList({QStringLiteral("template*.bmp")}, QDir::Files);
    for (const QFileInfo &info : entries) {
        const int slot = templateSlotOfName(info.fileName());
        if (slot >= 0)
            files.append({slot, info});
    }
    std::sort(files.begin(), files.end(), [](const TemplateFile &a, const TemplateFile &b) { return a.slot < b.slot; });
    return files;
}

int templateSlotToReplace(int camera, int stage, int slotCount)
{
    const int last = std::max(slotCount - 1, 0);
    QVector<TemplateFile> files = templateFiles(camera, stage);
    files.erase(std::remove_if(files.begin(), files.end(), [](const TemplateFile &f) { return f.slot == 0; }),
                files.end());
    if (files.isEmpty())
        return last;
    const auto oldest = std::min_element(files.cbegin(), files.cend(), [](const TemplateFile &a, const TemplateFile &b) {
        const QDateTime ta = a.info.lastModified();
        const QDateTime tb = b.info.lastModified();
        return ta != tb ? ta < tb : a.slot < b.slot;
    });
    if (oldest->slot < slotCount)
        return oldest->slot;
    // A slot beyond the ones in use (the count was lowered): its file goes.
    if (!QFile::remove(oldest->info.filePath()))
        qWarning("template %s could not be deleted", qPrintable(oldest->info.filePath()));
    return last;
}

QString recordFolder(int camera, int stage, bool ok)
{
    return QStringLiteral("./alarmimage/camera%1/detect%2/%3")
        .arg(camera + 1)
        .arg(stage + 1)
        .arg(ok ? QStringLiteral("OK") : QStringLiteral("NG"));
}

QFileInfoList recordFiles(int camera, int stage, bool ok)
{
    QFileInfoList files = QDir(recordFolder(camera, stage, ok)).entryInfoList({QStringLiteral("*.jpg")}, QDir::Files);
    std::sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
        const QDateTime ta = a.lastModified();
        const QDateTime tb = b.lastModified();
        return ta != tb ? ta > tb : a.fileName() > b.fileName();
    });
    return files;
}
