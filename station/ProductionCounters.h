#ifndef STATION_PRODUCTIONCOUNTERS_H
#define STATION_PRODUCTIONCOUNTERS_H

#include <QString>
#include <QVector>

// The production counters of the installation: mould cycles and cycles with an NG, per camera
// and over all cameras. They are counted at the last detect stage of a cycle, kept across
// restarts in "count.txt" and published in the Modbus read registers. GUI thread only.

constexpr int CounterCameraCount = 8;
extern qint32 cameraTotalCount[CounterCameraCount];
extern qint32 cameraNgCount[CounterCameraCount];
extern qint32 cycleTotalCount;
extern qint32 cycleNgCount;

// "count.txt" in the working directory.
extern const char countFileName[];

// Every counter to 0.
void clearProductionCounters();

// Reads the counters from the file: for cameras 0 to 7 the total then the NG count, then the
// cycle total and the NG cycle count, as whitespace-separated decimal numbers. Each value is
// a non-negative number up to its bound (100000000 per camera, 2^31 - 1 per cycle count);
// one that is missing, signed, too large or no number starts at 0 and is logged, the others
// are kept, and a damaged file is copied aside under a dated name before it is rewritten.
// False, every counter 0, when the file cannot be opened.
bool readProductionCounters(const QString &fileName = QString::fromLatin1(countFileName));

// Writes the counters as one line of 18 numbers, each followed by a blank, without a line
// end. Atomic: the old file stays whole until the new one is complete and flushed, also on a
// full disk. False, logged once until a write succeeds again, when it could not be written.
bool writeProductionCounters(const QString &fileName = QString::fromLatin1(countFileName));

// The read registers from 50 on for the given number of cameras, each 32-bit value as two
// registers, high word first: 50 cycles, 52 NG cycles, 54 good cycles; then per camera c
// 56 + 6c its cycles, 58 + 6c its NG cycles, 60 + 6c its good cycles.
constexpr int CounterFirstRegister = 50;
QVector<short> productionCounterRegisters(int cameras);

// Counts read from the file are taken as they stand, so they may sit anywhere in the 32-bit
// range; they wrap around like the counters of the machine instead of overflowing.
qint32 wrappingIncrement(qint32 value);
qint32 wrappingDifference(qint32 a, qint32 b);

// A 32-bit value as two registers, high word first.
void appendRegisterPair(QVector<short> &registers, qint32 value);

#endif
