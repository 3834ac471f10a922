#ifndef STATION_FILEWORKSCOPE_H
#define STATION_FILEWORKSCOPE_H

// Held by the settings' file work on the live set-up (a group backup or restore, an export, the
// backup before an update) for as long as it runs. Such work lets the event loop run meanwhile,
// so a parameter group switch asked for by the Modbus host could otherwise replace the very
// files it copies; the switch is refused while a scope is held. Scopes nest. GUI thread only.
class FileWorkScope
{
public:
    FileWorkScope();
    ~FileWorkScope();
    FileWorkScope(const FileWorkScope &) = delete;
    FileWorkScope &operator=(const FileWorkScope &) = delete;

    static bool active();
};

#endif
