#ifndef CORE_DEFAULTPARAMETERFILES_H
#define CORE_DEFAULTPARAMETERFILES_H

#include <QString>

// The default parameter group ("./paraGroup/default/"), written by the program's own default
// code: a missing or unusable "PARAM.db" or "SN.db" is restored from it.

// Writes a new "PARAM.db" at the path: table sysparam with every record row holding the
// defaults of SystemParameters, in the form SystemParameters::SaveAll writes. An existing
// file is replaced. Returns false (logged) on any failure.
bool writeDefaultParamDatabase(const QString &fileName);

// Writes a new "SN.db" at the path: table sysparam with the eight serial rows, each "0"
// (no camera bound). An existing file is replaced.
bool writeDefaultSerialDatabase(const QString &fileName);

#endif
