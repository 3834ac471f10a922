#ifndef CORE_TIMESTAMP_H
#define CORE_TIMESTAMP_H

#include <QDateTime>
#include <QString>
#include <QStringView>

// Local date-times of the result rows packed into one integer, yyyyMMddhhmmsszzz in decimal
// (2024-03-05 14:30:12.345 is 20240305143012345). The packed value orders and compares exactly
// like the row text "yyyy-MM-dd hh:mm:ss.zzz", needs no time-zone work to make, and takes
// 8 bytes where a day of results holds over a million of them.
namespace TimeStamp {

constexpr int TextLength = 23;   // "yyyy-MM-dd hh:mm:ss.zzz"

// -1 when the text is not a valid date and time in that form.
qint64 fromText(QStringView text);
// -1 for an invalid date-time.
qint64 fromDateTime(const QDateTime &local);
QDateTime toDateTime(qint64 stamp);
QString toText(qint64 stamp);

} // namespace TimeStamp

// Turns packed stamps into milliseconds since the epoch. The local hour start is looked up
// once per hour and cached, so daylight-saving changes (which happen on hour boundaries) are
// honoured without a time-zone lookup for every row. Not thread-safe: one per reader.
class LocalTimeCache
{
public:
    qint64 toMSecsSinceEpoch(qint64 stamp);

private:
    qint64 cachedHour = -1;       // yyyyMMddhh
    qint64 cachedHourMSecs = 0;
};

#endif
