#ifndef SETTINGS_SETTINGSCHANGE_H
#define SETTINGS_SETTINGSCHANGE_H

#include <QString>

class SystemParameters;

// The operation-record text for an accepted settings change, in the current language: "Modify
// the system parameters" followed by one piece per changed setting with its old and new value
// (switches with their new state; the password only as "modified", never its text). Settings
// without a piece (mirrors, colour outputs, camera enables, ...) add nothing.
QString settingsChangeText(const SystemParameters &before, const SystemParameters &after);

// The fields that follow from the configured machine mode, written into the record before it
// becomes live: the active mode := the configured one, then the stage enables and trigger
// inputs (SystemParameters::DeriveStageFields). The outputs' idle levels are left as the
// operator set them. Returns the main window's side the choice implies, -1 for none.
int deriveSettings(SystemParameters &record);

#endif
