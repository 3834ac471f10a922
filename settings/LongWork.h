#ifndef SETTINGS_LONGWORK_H
#define SETTINGS_LONGWORK_H

#include <functional>

class QWidget;

// Runs file work that can take minutes (an export, a group backup) on a thread of its own,
// while the GUI thread keeps serving its timers: the run controller's passes and with them the
// I/O board's heartbeat. Meanwhile detection is stopped, so the outputs stay in the stop state
// and no cycle is judged on half-copied templates, and `busy` (the settings dialog) is
// disabled so that nothing else is started, nor a parameter group switch by the Modbus host
// (FileWorkScope). Detection starts again afterwards when it was running. Returns what the
// work returned. GUI thread only; work must not touch widgets.
bool runLongWork(QWidget *busy, const std::function<bool()> &work);

#endif
