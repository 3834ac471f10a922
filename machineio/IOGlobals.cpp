#include "machineio/IOGlobals.h"

ControlPort *controlPort = nullptr;
int ioComPortIndex = 0;
qint32 ioInputWord = 0;
qint32 ioOutputWord = -1;
quint32 ioInputBaselines = 0;
qint32 ioInputBaselineWord = 0;
qint32 ioLastOutputWord = 0;
bool doorOpenedSinceAlarm = false;
