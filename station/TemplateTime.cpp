#include "station/TemplateTime.h"

#include "core/Globals.h"
#include "station/TemplateFiles.h"

#include <QDateTime>
#include <QFileInfo>

void GetTempTIme(int c, int d, int n)
{
    const QFileInfo file(templateFilePath(c, d, n));
    imageTimeStamp = file.exists() ? file.lastModified().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"))
                                   : QString();
}
