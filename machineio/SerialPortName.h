#ifndef MACHINEIO_SERIALPORTNAME_H
#define MACHINEIO_SERIALPORTNAME_H

#include <QString>

// The I/O board's port is configured by its Windows name "COM%1" (%1 = 1, 2, ...). On Linux
// "COMn" is the device /dev/ttyS(n-1), unless the working folder holds a symbolic link named
// "COMn" that leads to an existing device: then that device is used. A board simulator on a
// pseudo-terminal links itself there, so the station talks to it without any option of its
// own; a link whose device has gone is ignored. Any other name, such as the path of a
// pseudo-terminal, is taken as the device itself.
QString serialDeviceName(const QString &portName);

// "COM%1" for the 0-based port index kept in the system parameters.
QString comPortName(int portIndex);

#endif
