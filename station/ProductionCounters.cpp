#include "station/ProductionCounters.h"

#include "core/AtomicFile.h"
#include "core/DamagedFile.h"
#include "core/SmallTextFile.h"

#include <QStringList>

#include <algorithm>
#include <limits>

qint32 cameraTotalCount[CounterCameraCount] = {};
qint32 cameraNgCount[CounterCameraCount] = {};
qint32 cycleTotalCount = 0;
qint32 cycleNgCount = 0;

const char countFileName[] = "count.txt";

namespace {

constexpr quint64 MaxCameraCount = 100000000;
constexpr int CounterValues = 2 * CounterCameraCount + 2;
// Far more than a well-formed file holds (18 numbers of at most 11 characters); anything
// after it is not read.
constexpr int MaxFileBytes = 4096;

QString valueName(int position)
{
    if (position < 2 * CounterCameraCount)
        return QStringLiteral("camera %1 %2").arg(position / 2 + 1).arg(position % 2 ? "NG" : "total");
    return position == 2 * CounterCameraCount ? QStringLiteral("cycle total")
                                              : QStringLiteral("NG cycles");
}

// The counters in file order.
qint32 &counterAt(int position)
{
    if (position < 2 * CounterCameraCount)
        return position % 2 ? cameraNgCount[position / 2] : cameraTotalCount[position / 2];
    return position == 2 * CounterCameraCount ? cycleTotalCount : cycleNgCount;
}

} // namespace

void clearProductionCounters()
{
    std::fill(std::begin(cameraTotalCount), std::end(cameraTotalCount), 0);
    std::fill(std::begin(cameraNgCount), std::end(cameraNgCount), 0);
    cycleTotalCount = 0;
    cycleNgCount = 0;
}

// Each value is a count of its own: one that cannot be read starts at 0 and says so, the
// others are kept. A damaged file is copied aside before the next write replaces it.
bool readProductionCounters(const QString &fileName)
{
    clearProductionCounters();
    QByteArray text;
    bool cutShort = false;
    if (!readSmallFile(fileName, MaxFileBytes, &text, &cutShort))
        return false;
    const QList<QByteArray> words = text.simplified().split(' ');
    const int present = text.simplified().isEmpty() ? 0 : int(words.size());
    QStringList refused;
    for (int position = 0; position < CounterValues && position < present; ++position) {
        const quint64 max = position < 2 * CounterCameraCount
                                ? MaxCameraCount
                                : quint64(std::numeric_limits<qint32>::max());
        quint64 value = 0;
        if (parseBoundedNumber(words.at(position), max, &value))
            counterAt(position) = qint32(value);
        else
            refused << QStringLiteral("%1 \"%2\"").arg(valueName(position), logSample(words.at(position)));
    }
    const bool damaged = !refused.isEmpty() || present != CounterValues || cutShort;
    if (!refused.isEmpty())
        qCritical("%s: %s not a count; these start at 0", qPrintable(fileName),
                  qPrintable(refused.join(QStringLiteral(", "))));
    if (present < CounterValues)
        qCritical("%s holds %d of %d counts; from %s on they start at 0", qPrintable(fileName),
                  present, CounterValues, qPrintable(valueName(present)));
    else if (present > CounterValues || cutShort)
        qWarning("%s holds more than its %d counts; the rest is ignored", qPrintable(fileName),
                 CounterValues);
    if (damaged)
        copyDamagedFileAside(fileName);
    return true;
}

bool writeProductionCounters(const QString &fileName)
{
    QString line;
    for (int camera = 0; camera < CounterCameraCount; ++camera)
        line += QStringLiteral("%1 %2 ").arg(cameraTotalCount[camera]).arg(cameraNgCount[camera]);
    line += QStringLiteral("%1 %2 ").arg(cycleTotalCount).arg(cycleNgCount);
    return writeFileAtomically(fileName, line.toLatin1());
}

qint32 wrappingIncrement(qint32 value)
{
    return qint32(quint32(value) + 1u);
}

qint32 wrappingDifference(qint32 a, qint32 b)
{
    return qint32(quint32(a) - quint32(b));
}

void appendRegisterPair(QVector<short> &registers, qint32 value)
{
    registers.append(short(quint32(value) >> 16));
    registers.append(short(quint32(value) & 0xFFFF));
}

QVector<short> productionCounterRegisters(int cameras)
{
    QVector<short> registers;
    appendRegisterPair(registers, cycleTotalCount);
    appendRegisterPair(registers, cycleNgCount);
    appendRegisterPair(registers, wrappingDifference(cycleTotalCount, cycleNgCount));
    for (int camera = 0; camera < qBound(0, cameras, CounterCameraCount); ++camera) {
        appendRegisterPair(registers, cameraTotalCount[camera]);
        appendRegisterPair(registers, cameraNgCount[camera]);
        appendRegisterPair(registers, wrappingDifference(cameraTotalCount[camera], cameraNgCount[camera]));
    }
    return registers;
}
