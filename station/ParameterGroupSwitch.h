#ifndef STATION_PARAMETERGROUPSWITCH_H
#define STATION_PARAMETERGROUPSWITCH_H

#include <QString>
#include <QStringList>

// Brings a parameter group from "./paraGroup" into the working directory, for the Modbus
// host's group switch and the settings' restore. A group is usable when it is a folder of its
// own (not a link) holding "PARAM.db". Only what a group holds by design comes along:
// "PARAM.db", the template folders "cammer<c><d>" and, of the factory group, "SN.db". Anything
// else found in the folder (a "count.txt", a "maintenance.ini", a program file, a link) stays
// there and is logged, so a group cannot reset the counts or replace the station's own files.
// Live entries the group does not hold, such as template folders of cameras it has none for,
// are left as they are. Only the group's own files and folders are copied, never what a
// symbolic link in it points at. It is first copied into a staging folder; only when that copy
// is complete are the live entries replaced, each by a rename, the replaced ones kept aside
// until all renames have succeeded and put back when one fails. So a refused or failed switch
// leaves the live templates and parameters as they were.
// The parameter database may stay open meanwhile: the program restarts after a switch.
// Files are moved and copied through platform/system. GUI thread only.
class ParameterGroupSwitch
{
public:
    enum class Result { Switched, NoSuchGroup, IncompleteGroup, CopyFailed, ReplaceFailed };

    static constexpr char GroupFolder[] = "./paraGroup";
    // The factory group: its "SN.db" is taken too.
    static constexpr char FactoryGroup[] = "default";

    ParameterGroupSwitch();

    // The group folders, directories only, sorted by name (case-sensitive); a group's index is
    // its position here.
    static QStringList groupNames();

    Result switchTo(int index);
    // The name of the group of the last switchTo, empty when the index had no group.
    QString groupName() const { return name; }

private:
    bool groupIsUsable(const QString &group) const;
    // Copies what the group holds by design into the staging folder.
    bool stageGroup(const QString &group, const QString &staging) const;
    bool replaceLiveEntries(const QString &staging, const QString &previous);

    QString name;
};

#endif
