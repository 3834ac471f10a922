#include "core/TimeStamp.h"

namespace {

constexpr qint64 MSecFactor = 1;
constexpr qint64 SecFactor = 1000;
constexpr qint64 MinFactor = 100 * SecFactor;
constexpr qint64 HourFactor = 100 * MinFactor;
constexpr qint64 DayFactor = 100 * HourFactor;
constexpr qint64 MonthFactor = 100 * DayFactor;
constexpr qint64 YearFactor = 100 * MonthFactor;

// Reads count digits at position; -1 when one is not a digit.
int digitsAt(QStringView text, int position, int count)
{
    int value = 0;
    for (int i = position; i < position + count; ++i) {
        const ushort c = text.at(i).unicode();
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

qint64 pack(int year, int month, int day, int hour, int minute, int second, int msec)
{
    return year * YearFactor + month * MonthFactor + day * DayFactor + hour * HourFactor
           + minute * MinFactor + second * SecFactor + msec * MSecFactor;
}

} // namespace

namespace TimeStamp {

qint64 fromText(QStringView text)
{
    if (text.size() != TextLength || text.at(4) != QLatin1Char('-')
        || text.at(7) != QLatin1Char('-') || text.at(10) != QLatin1Char(' ')
        || text.at(13) != QLatin1Char(':') || text.at(16) != QLatin1Char(':')
        || text.at(19) != QLatin1Char('.'))
        return -1;
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    const int msec = digitsAt(text, 20, 3);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59
        || second < 0 || second > 59 || msec < 0 || !QDate::isValid(year, month, day))
        return -1;
    return pack(year, month, day, hour, minute, second, msec);
}

qint64 fromDateTime(const QDateTime &local)
{
    if (!local.isValid())
        return -1;
    const QDateTime time = local.toLocalTime();
    const QDate date = time.date();
    const QTime clock = time.time();
    if (date.year() < 0 || date.year() > 9999)
        return -1;
    return pack(date.year(), date.month(), date.day(), clock.hour(), clock.minute(),
                clock.second(), clock.msec());
}

QDateTime toDateTime(qint64 stamp)
{
    if (stamp < 0)
        return QDateTime();
    const QDate date(int(stamp / YearFactor), int(stamp / MonthFactor % 100),
                     int(stamp / DayFactor % 100));
    const QTime time(int(stamp / HourFactor % 100), int(stamp / MinFactor % 100),
                     int(stamp / SecFactor % 100), int(stamp % 1000));
    return QDateTime(date, time);
}

QString toText(qint64 stamp)
{
    if (stamp < 0)
        return QString();
    QString text = QStringLiteral("%1-%2-%3 %4:%5:%6.%7")
                       .arg(stamp / YearFactor, 4, 10, QLatin1Char('0'))
                       .arg(stamp / MonthFactor % 100, 2, 10, QLatin1Char('0'))
                       .arg(stamp / DayFactor % 100, 2, 10, QLatin1Char('0'))
                       .arg(stamp / HourFactor % 100, 2, 10, QLatin1Char('0'))
                       .arg(stamp / MinFactor % 100, 2, 10, QLatin1Char('0'))
                       .arg(stamp / SecFactor % 100, 2, 10, QLatin1Char('0'))
                       .arg(stamp % 1000, 3, 10, QLatin1Char('0'));
    return text;
}

} // namespace TimeStamp

qint64 LocalTimeCache::toMSecsSinceEpoch(qint64 stamp)
{
    const qint64 hour = stamp / HourFactor;
    if (hour != cachedHour) {
        const QDateTime start = TimeStamp::toDateTime(hour * HourFactor);
        if (!start.isValid())
            return 0;
        cachedHour = hour;
        cachedHourMSecs = start.toMSecsSinceEpoch();
    }
    const qint64 withinHour = stamp % HourFactor;
    return cachedHourMSecs + (withinHour / MinFactor) * 60000 + withinHour % MinFactor;
}
