#ifndef UIKIT_LOGINDECISION_H
#define UIKIT_LOGINDECISION_H

#include "core/ParameterNames.h"

#include <QDateTime>
#include <QString>

class SystemParameters;

// The password switch of the system-parameter record.
constexpr int PasswordUsedIndex = Param::PasswordUsed;

// The user password stored in the record: the text up to its NUL, never beyond the record's
// password area.
QString storedUserPassword(const SystemParameters &params);

// The maintenance access string: the fixed code alone, or, with the password switch on, the
// code followed by the month, day and hour of now ("MMddhh"), so it changes every hour.
QString maintenanceAccessString(bool passwordUsed, const QDateTime &now);

// The login level an entry earns: 2 for the access string, 1 for the user password, 0 for
// anything else. Without a record only the access code counts (switch off, no user password).
int loginLevelFor(const QString &entry, const SystemParameters *params, const QDateTime &now);

#endif
