#include "inspection/InspectionWarning.h"

#include <QtDebug>

InspectionWarningSink *inspectionWarningSink = nullptr;

void showInspectionWarning(const QString &text)
{
    qWarning().noquote() << "Inspection warning:" << text;
    if (inspectionWarningSink)
        inspectionWarningSink->showWarning(text);
}
