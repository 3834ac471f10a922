#include "uikit/LoginDecision.h"

#include "core/SystemParameters.h"

namespace {

const char maintenanceCode[] = "5082";

} // namespace

QString storedUserPassword(const SystemParameters &params)
{
    return QString::fromLatin1(params.password());
}

QString maintenanceAccessString(bool passwordUsed, const QDateTime &now)
{
    const QString code = QString::fromLatin1(maintenanceCode);
    if (!passwordUsed)
        return code;
    return code + now.toString(QStringLiteral("MMddhh"));
}

int loginLevelFor(const QString &entry, const SystemParameters *params, const QDateTime &now)
{
    const bool passwordUsed = params && (*params)[PasswordUsedIndex] != 0;
    if (entry == maintenanceAccessString(passwordUsed, now))
        return 2;
    if (params && entry == storedUserPassword(*params))
        return 1;
    return 0;
}
