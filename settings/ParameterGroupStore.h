#ifndef SETTINGS_PARAMETERGROUPSTORE_H
#define SETTINGS_PARAMETERGROUPSTORE_H

#include "station/ParameterGroupSwitch.h"

#include <QString>

// The folder side of the parameter groups kept in "./paraGroup": which names may become a
// folder there, and the backup of the present set-up into a group. Restoring goes through
// ParameterGroupSwitch.

// The factory group: start-up recovery takes its databases, the factory reset its package.
constexpr const char *DefaultGroupName = ParameterGroupSwitch::FactoryGroup;
constexpr int MaxGroupNameLength = 32;

// A name that can only ever mean one folder directly inside the group folder: not empty, at
// most 32 characters, letters, digits, blanks and "-_.+" only, no leading dot (so never "."
// or ".." and never one of the hidden working folders), no blank at either end.
bool isPlainGroupName(const QString &name);

// The group's folder, when the name is plain and the path, with every link resolved, stays
// directly inside the group folder; otherwise an empty text.
QString groupFolderPath(const QString &name);

// Copies the template folders "cammer<c><d>" of cameras 1..cameras and stages 1..stages and
// "PARAM.db" from the working directory into the group. The new copy is made complete beside
// the groups first; only then does it take the place of an old group of that name, which is
// put back when the exchange fails. False, with the old group untouched, on any failure.
// Runs on any thread.
bool backupParameterGroup(const QString &name, int cameras, int stages);

#endif
