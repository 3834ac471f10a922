#ifndef INSPECTION_INSPECTIONWARNING_H
#define INSPECTION_INSPECTIONWARNING_H

#include <QString>

// Where the inspection blocks tell the operator about a problem they found (a damaged stored
// configuration). The operator station installs a sink that shows its warning box; tests
// install one that records. Without a sink the warning is only logged. GUI thread only.
class InspectionWarningSink
{
public:
    virtual ~InspectionWarningSink() = default;
    virtual void showWarning(const QString &text) = 0;
};

// Null until the station installs its sink; the station removes it before it goes away.
extern InspectionWarningSink *inspectionWarningSink;

// Logs the warning and hands it to the installed sink.
void showInspectionWarning(const QString &text);

#endif
