#ifndef PLATFORM_SYSTEM_TERMINATIONSIGNALS_H
#define PLATFORM_SYSTEM_TERMINATIONSIGNALS_H

// Makes SIGTERM and SIGINT (the panel's shutdown, a service manager's stop, Ctrl+C at a
// terminal) end the program through its event loop, so that main() returns normally instead of
// the process being killed mid-write. The signal handler only writes one byte into a pipe; the
// event loop reads it, logs the signal and quits the application.
//
// Call after the application object exists and after any crash handler that also claims
// SIGTERM, so this one wins.
void quitOnTerminationSignals();

// True once a termination signal was handled. A signal that arrives while start-up waits in a
// modal box ends that box's loop, not the program's: main() checks this before it enters its
// own event loop.
bool terminationRequested();

#endif
