#include "station/ProductionCounters.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

qint32 cameraTotalCount[CounterCameraCount] = {};
qint32 cameraNgCount[CounterCameraCount] = {};
qint32 cycleTotalCount = 0;
qint32 cycleNgCount = 0;

const char countFileName[] = "count.txt";

namespace {

constexpr quint32 MaxCameraCount = 100000000;

qint32 plausibleCameraCount(qint32 value)
{
    return quint32(value) > MaxCameraCount ? 0 : value;
}

} // namespace

void clearProductionCounters()
{
    std::fill(std::begin(cameraTotalCount), std::end(cameraTotalCount), 0);
    std::fill(std::begin(cameraNgCount), std::end(cameraNgCount), 0);
    cycleTotalCount = 0;
    cycleNgCount = 0;
}

bool readProductionCounters(const QString &fileName)
{
    clearProductionCounters();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    // Far more than a well-formed file holds; anything after it is ignored.
    const QList<QByteArray> words = file.read(4096).simplified().split(' ');
    const auto number = [&words](int i) { return i < words.size() ? words.at(i).toInt() : 0; };
    for (int camera = 0; camera < CounterCameraCount; ++camera) {
        cameraTotalCount[camera] = plausibleCameraCount(number(2 * camera));
        cameraNgCount[camera] = plausibleCameraCount(number(2 * camera + 1));
    }
    cycleTotalCount = number(2 * CounterCameraCount);
    cycleNgCount = number(2 * CounterCameraCount + 1);
    return true;
}

bool writeProductionCounters(const QString &fileName)
{
    QString line;
    for (int camera = 0; camera < CounterCameraCount; ++camera)
        line += QStringLiteral("%1 %2 ").arg(cameraTotalCount[camera]).arg(cameraNgCount[camera]);
    line += QStringLiteral("%1 %2 ").arg(cycleTotalCount).arg(cycleNgCount);

    QSaveFile file(fileName);
    const QByteArray bytes = line.toLatin1();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qWarning("production counts not written to %s: %s", qPrintable(fileName),
                 qPrintable(file.errorString()));
        return false;
    }
    return true;
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
