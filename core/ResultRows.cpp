#include "core/ResultRows.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <limits>

namespace {

// A hand-written reader for the two shapes the store writes; rows it does not understand go
// to QJsonDocument, so a row written by another tool is still read when it is valid JSON.
class IntArrayReader
{
public:
    explicit IntArrayReader(QStringView text) : text(text) {}

    bool atEnd()
    {
        skipBlanks();
        return position == text.size();
    }

    bool take(char c)
    {
        skipBlanks();
        if (position < text.size() && text.at(position) == QLatin1Char(c)) {
            ++position;
            return true;
        }
        return false;
    }

    // An integer that fits 32 bits; false for anything else (left to the JSON fallback).
    bool number(int &value)
    {
        skipBlanks();
        const int size = int(text.size());
        bool negative = false;
        if (position < size && text.at(position) == QLatin1Char('-')) {
            negative = true;
            ++position;
        }
        const int first = position;
        qint64 magnitude = 0;
        while (position < size) {
            const ushort c = text.at(position).unicode();
            if (c < '0' || c > '9')
                break;
            magnitude = magnitude * 10 + (c - '0');
            if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
                return false;
            ++position;
        }
        if (position == first)
            return false;
        const qint64 signedValue = negative ? -magnitude : magnitude;
        if (signedValue > std::numeric_limits<int>::max())
            return false;
        value = int(signedValue);
        return true;
    }

    // Elements of a list "[a,b,...]" after the opening bracket, each read by readElement.
    template <typename ReadElement>
    bool elements(ReadElement readElement)
    {
        if (take(']'))
            return true;
        do {
            if (!readElement())
                return false;
        } while (take(','));
        return take(']');
    }

private:
    void skipBlanks()
    {
        while (position < text.size() && text.at(position).isSpace())
            ++position;
    }

    QStringView text;
    int position = 0;
};

bool fastRoiResult(QStringView text, QVector<int> &values)
{
    IntArrayReader reader(text);
    if (!reader.take('['))
        return false;
    const bool ok = reader.elements([&] {
        int value = 0;
        if (!reader.number(value))
            return false;
        values.append(value);
        return true;
    });
    return ok && reader.atEnd();
}

bool fastRoiDetail(QStringView text, QVector<int> &values, QVector<int> &offsets)
{
    IntArrayReader reader(text);
    if (!reader.take('['))
        return false;
    offsets.append(0);
    const bool ok = reader.elements([&] {
        if (!reader.take('['))
            return false;
        const bool inner = reader.elements([&] {
            int value = 0;
            if (!reader.number(value))
                return false;
            values.append(value);
            return true;
        });
        offsets.append(values.size());
        return inner;
    });
    return ok && reader.atEnd();
}

bool jsonArray(QStringView text, QJsonArray &array)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toString().toUtf8());
    if (!document.isArray())
        return false;
    array = document.array();
    return true;
}

int jsonInt(const QJsonValue &value)
{
    const double number = value.toDouble();
    if (!(number >= std::numeric_limits<int>::min() && number <= std::numeric_limits<int>::max()))
        return 0;
    return int(number);
}

} // namespace

QString roiDetailJson(const QList<QList<int>> &detail)
{
    QString text;
    text.reserve(detail.size() * 24 + 2);
    text += QLatin1Char('[');
    for (int i = 0; i < detail.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += QLatin1Char('[');
        const QList<int> &values = detail.at(i);
        for (int j = 0; j < values.size(); ++j) {
            if (j > 0)
                text += QLatin1Char(',');
            text += QString::number(values.at(j));
        }
        text += QLatin1Char(']');
    }
    text += QLatin1Char(']');
    return text;
}

QString roiResultJson(const QList<int> &results)
{
    QString text = QStringLiteral("[");
    for (int i = 0; i < results.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += QString::number(results.at(i));
    }
    text += QLatin1Char(']');
    return text;
}

QString seriesKey(int camera, int detect, int region)
{
    return QStringLiteral("C:%1_D:%2_F:%3").arg(camera).arg(detect).arg(region);
}

QString resultKey(const QDateTime &time, int camera, int detect, int region)
{
    return QStringLiteral("T:%1_C:%2_D:%3_F:%4")
        .arg(time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")))
        .arg(camera)
        .arg(detect)
        .arg(region);
}

bool parseRoiResult(QStringView text, QVector<int> &values)
{
    values.clear();
    if (fastRoiResult(text, values))
        return true;
    values.clear();
    QJsonArray array;
    if (!jsonArray(text, array))
        return false;
    for (const QJsonValue &value : qAsConst(array))
        values.append(jsonInt(value));
    return true;
}

bool parseRoiDetail(QStringView text, QVector<int> &values, QVector<int> &offsets)
{
    values.clear();
    offsets.clear();
    if (fastRoiDetail(text, values, offsets))
        return true;
    values.clear();
    offsets.clear();
    QJsonArray array;
    if (!jsonArray(text, array))
        return false;
    offsets.append(0);
    for (const QJsonValue &element : qAsConst(array)) {
        const QJsonArray inner = element.toArray();
        for (const QJsonValue &value : inner)
            values.append(jsonInt(value));
        offsets.append(values.size());
    }
    return true;
}
