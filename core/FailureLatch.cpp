#include "core/FailureLatch.h"

FailureLatch::FailureLatch(const QString &what)
    : name(what)
{
}

void FailureLatch::failed(const QString &reason)
{
    if (failures++ == 0)
        qCritical("%s not written: %s; further failures are not logged until a write succeeds",
                  qPrintable(name), qPrintable(reason));
}

void FailureLatch::succeeded()
{
    if (failures == 0)
        return;
    qInfo("%s written again after %lld failed attempts", qPrintable(name), failures);
    failures = 0;
}
