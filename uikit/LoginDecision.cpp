#include "uikit/LoginDecision.h"

#include "core/SystemParameters.h"

#include <cstring>

namespace {

// The user password lives in record indices 218 to 242 as NUL-terminated Latin-1 text.
constexpr int PasswordFirstIndex = 218;
constexpr int PasswordLastIndex = 242;

const char maintenanceCode[] = "5082";

} // namespace

QString storedUserPassword(const SystemParameters &params)
{
    const char *bytes = reinterpret_cast<const char *>(&params.values[PasswordFirstIndex]);
    const size_t capacity = sizeof(qint32) * size_t(PasswordLastIndex - PasswordFirstIndex + 1);
    const void *end = std::memchr(bytes, '\0', capacity);
    const size_t length = end ? size_t(static_cast<const char *>(end) - bytes) : capacity;
    return QString::fromLatin1(bytes, int(length));
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
