#ifndef MACHINEIO_SERIALPORTNAME_H
#define MACHINEIO_SERIALPORTNAME_H

#include <QString>

// The I/O board's port is configured by its Windows name "COM%1" (%1 = 1, 2, ...); on Linux
// "COMn" is the device /dev/ttyS(n-1). Any other name, such as the path of a pseudo-terminal,
// is taken as the device itself.
QString serialDeviceName(const QString &portName);

// "COM%1" for the 0-based port index kept in the system parameters.
QString comPortName(int portIndex);

#endif
