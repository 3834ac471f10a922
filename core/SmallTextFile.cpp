#include "core/SmallTextFile.h"

#include <QFile>

namespace {

constexpr int MaxDigits = 19;   // every 19-digit number fits in 64 bits
constexpr int SampleLength = 20;

} // namespace

bool readSmallFile(const QString &fileName, int maxBytes, QByteArray *contents, bool *cutShort)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *contents = file.read(maxBytes);
    if (cutShort)
        *cutShort = !file.atEnd();
    return true;
}

bool parseBoundedNumber(const QByteArray &word, quint64 max, quint64 *value)
{
    if (word.isEmpty() || word.size() > MaxDigits)
        return false;
    quint64 number = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + quint64(c - '0');
    }
    if (number > max)
        return false;
    *value = number;
    return true;
}

QString logSample(const QByteArray &word)
{
    QString sample = QString::fromLatin1(word.left(SampleLength));
    for (QChar &c : sample) {
        if (!c.isPrint())
            c = QLatin1Char('?');
    }
    if (word.size() > SampleLength)
        sample += QStringLiteral("... (%1 characters)").arg(word.size());
    return sample;
}
