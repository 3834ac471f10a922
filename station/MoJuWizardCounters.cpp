// Production counters, measurement registers and the Modbus host's commands.

#include "station/MoJuWizard.h"

#include "cameras/CameraDiscovery.h"
#include "core/Globals.h"
#include "machineio/ModbusServer.h"
#include "platform/system/SystemActions.h"
#include "station/FileWorkScope.h"
#include "station/ParameterGroupSwitch.h"
#include "station/ProductionCounters.h"
#include "station/RunSettings.h"
#include "uikit/UiKitGlobals.h"

namespace {

constexpr int ClearCountersRegister = 0;
constexpr int GroupRegister = 1;
constexpr int MeasurementFirstRegister = 200;
constexpr int CountersClearedTextEntry = 255;
constexpr int GroupRestoredTextEntry = 286;

} // namespace

void MoJuWizard::CountRead()
{
    if (!readProductionCounters())
        qInfo("no production counts in %s; counting starts at 0", countFileName);
}

void MoJuWizard::CountWrite()
{
    writeProductionCounters();
}

void MoJuWizard::publishCounters()
{
    modbusServer->SetReadRegisters(CounterFirstRegister, productionCounterRegisters(cameraCount));
}

void MoJuWizard::publishMeasurements()
{
    QVector<short> registers;
    registers.reserve(2 * measurementValues.size());
    for (int value : qAsConst(measurementValues))
        appendRegisterPair(registers, value);
    modbusServer->SetReadRegisters(MeasurementFirstRegister, registers);
}

void MoJuWizard::SlotModbusDataChange(QList<int> chg_WriteData_index)
{
    for (int index : qAsConst(chg_WriteData_index)) {
        if (index == ClearCountersRegister)
            clearCounters();
        else if (index == GroupRegister)
            switchParameterGroup();
    }
}

void MoJuWizard::clearCounters()
{
    qInfo("production counters cleared by the host");
    clearProductionCounters();
    publishCounters();
    InsertRecord(uiText(CountersClearedTextEntry));
    CountWrite();
}

// The group is checked before anything is saved or replaced; only a complete switch stores the
// new group index and restarts the program on the new set-up. Not while the alarm is latched:
// the restart would release the mould with the part that stopped it still inside. Nor while
// the settings' file work runs on the live set-up.
void MoJuWizard::switchParameterGroup()
{
    ushort value = 0;
    modbusServer->GetWriteRegister(GroupRegister, &value);
    const int index = value;
    const int current = runSetting(Param::ParameterGroup);
    if (index == current) {
        qInfo("paramgroup %d asked for is the current one; nothing to switch", current);
        return;
    }
    if (DisplayMode == DisplayModes::AlarmLatched) {
        qWarning("paramgroup change to %d refused while the alarm is latched; the current group %d "
                 "stays", index, current);
        return;
    }
    if (FileWorkScope::active()) {
        qWarning("paramgroup change to %d refused while the settings page works on the live files; "
                 "the current group %d stays", index, current);
        return;
    }
    // A group may bring database files of its own: none is renamed away under one of the
    // station's open connections (a connection keeps using the file it opened, while its journal
    // is found by name next to whatever took the file's place).
    closeDatabasesForReboot();
    ParameterGroupSwitch groupSwitch;
    const ParameterGroupSwitch::Result result = groupSwitch.switchTo(index);
    if (result != ParameterGroupSwitch::Result::Switched) {
        ReopenDatabases();
        qWarning("paramgroup change to %d refused; the current group %d stays", index, current);
        return;
    }
    const QString name = groupSwitch.groupName();
    qInfo("paramgroup change to %s , index is %d", qPrintable(name), index);
    if (currentParams) {
        (*currentParams)[Param::ParameterGroup] = index;
        if (!currentParams->SaveGroupIndex())
            qWarning("the new group index %d was not saved", index);
    }
    // The record row goes to the live record file, whichever it now is; then it is closed again.
    InsertRecord(uiText(GroupRestoredTextEntry).arg(name));
    FLushAll();
    systemActions()->restartApplication();
}
