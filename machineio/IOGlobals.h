#ifndef MACHINEIO_IOGLOBALS_H
#define MACHINEIO_IOGLOBALS_H

#include <QtGlobal>

class ControlPort;

// The one I/O board link of the station, created by the main window.
extern ControlPort *controlPort;

// 0-based index of the I/O board's serial port ("COM%1" with %1 = index + 1); the main window
// copies it from the system parameters before it builds the ControlPort.
extern int ioComPortIndex;

// The words exchanged with the polling thread, each read or written only under ioMutex
// (core/Globals.h). ioInputWord: the last input word the board reported, written by the thread.
// ioOutputWord: the wanted output word, written by ControlPort; bits 10..31 stay ones.
extern qint32 ioInputWord;
extern qint32 ioOutputWord;
// Times the thread took the board's input word as the starting state (the first status reply
// after the port opened), and that word: ControlPort then starts its edge detection afresh from
// it. Under ioMutex, like the words.
extern quint32 ioInputBaselines;
extern qint32 ioInputBaselineWord;

// The last published output word, for change detection on the GUI thread.
extern qint32 ioLastOutputWord;

// Set by the safety-door rule when the door opens; cleared by the run controller when a new
// mould cycle starts. GUI thread only.
extern bool doorOpenedSinceAlarm;

#endif
