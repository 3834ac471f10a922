#include "settings/SettingsChange.h"

#include "core/Globals.h"
#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "uikit/UiKitGlobals.h"

#include <QCoreApplication>

namespace {

constexpr int HeadEntry = 235;
constexpr int NumberEntry = 245;
constexpr int SwitchEntry = 240;
constexpr int OnEntry = 250;
constexpr int OffEntry = 251;
constexpr int ProhibitClampEntry = 252;
constexpr int AllowClampEntry = 253;
constexpr int PasswordEntry = 249;
constexpr int ProductEntry = 263;
constexpr int MouldEntry = 264;

enum class Kind { Number, Switch, OnWhenZero, Clamp, Side, MachineType, PerCamera };

// One piece of the change text. label is a text-table entry, or a translatable literal when
// literal is set.
struct Row
{
    int index;
    Kind kind;
    int templateEntry;
    int labelEntry;
    const char *literal = nullptr;
};

QString translated(const char *text)
{
    return QCoreApplication::translate("SystemParamDialog", text);
}

// The table in the order the pieces appear.
const Row rows[] = {
    {Param::CaptureDelay, Kind::Number, 236, ProductEntry},
    {Param::CaptureDelay + 1, Kind::Number, 236, MouldEntry},
    {Param::CavityRechecks, Kind::Number, 239, MouldEntry},
    {Param::FilterSize, Kind::Number, NumberEntry, 22},
    {Param::AlarmArea, Kind::Number, NumberEntry, 24},
    {Param::SemiAutomatic, Kind::Switch, SwitchEntry, 174},
    {Param::ProductStage, Kind::Switch, SwitchEntry, 175},
    {Param::MotionCorrection, Kind::OnWhenZero, SwitchEntry, 176},
    {Param::CopyRegions, Kind::Switch, SwitchEntry, 177},
    {Param::TemplateAutoUpdate, Kind::Switch, SwitchEntry, 400},
    {0, Kind::PerCamera, 0, 0},
    {Param::FrameRate, Kind::Number, NumberEntry, 244},
    {Param::ColourToGrey, Kind::Switch, SwitchEntry, 271},
    {Param::AutoExposure, Kind::Switch, SwitchEntry, 387},
    {Param::MatchBrightness, Kind::Switch, SwitchEntry, 582},
    {Param::WideDynamicRange, Kind::Switch, SwitchEntry, 388},
    {Param::NoLensOptimization, Kind::Switch, SwitchEntry, 337},
    {Param::ExternalTrigger, Kind::Switch, SwitchEntry, 519},
    {Param::DefectToolEnabled, Kind::Switch, SwitchEntry, 196},
    {Param::SpotToolEnabled, Kind::Switch, SwitchEntry, 197},
    {Param::IgnoreToolEnabled, Kind::Switch, SwitchEntry, 198},
    {Param::PositioningToolEnabled, Kind::Switch, SwitchEntry, 199},
    {Param::Registration, Kind::Switch, SwitchEntry, 0, QT_TRANSLATE_NOOP("SystemParamDialog", "角度矫正")},
    {Param::RegionParameters, Kind::Switch, SwitchEntry, 200},
    {Param::BlackAreaToolEnabled, Kind::Switch, SwitchEntry, 390},
    {Param::WhiteAreaToolEnabled, Kind::Switch, SwitchEntry, 391},
    {Param::WhiteCountToolEnabled, Kind::Switch, SwitchEntry, 520},
    {Param::SimilarityToolEnabled, Kind::Switch, SwitchEntry, 397},
    {Param::TemperatureToolEnabled, Kind::Switch, SwitchEntry, 570},
    {Param::IoPort, Kind::Number, NumberEntry, 269},
    {Param::NoSignalSeconds, Kind::Number, NumberEntry, 336},
    {Param::PreCut, Kind::Number, NumberEntry, 166},
    {Param::EjectorPulse, Kind::Number, NumberEntry, 168},
    {Param::ClampPulse, Kind::Number, NumberEntry, 169},
    {Param::SpareInputMode, Kind::Number, NumberEntry, 203},
    {Param::SpareOutputSource, Kind::Number, NumberEntry, 334},
    {Param::OutputIdleLevel, Kind::Number, NumberEntry, 273},
    {Param::OutputIdleLevel + 1, Kind::Number, NumberEntry, 274},
    {Param::OutputIdleLevel + 2, Kind::Number, NumberEntry, 275},
    {Param::OutputIdleLevel + 3, Kind::Number, NumberEntry, 281},
    {Param::ConfiguredMachineMode, Kind::MachineType, NumberEntry, 0, QT_TRANSLATE_NOOP("SystemParamDialog", "系统功能")},
    {Param::MouldSide, Kind::Side, NumberEntry, 0, QT_TRANSLATE_NOOP("SystemParamDialog", "模具选择")},
    {Param::CutEjectorWhenClamping, Kind::Switch, SwitchEntry, 178},
    {Param::StopClampOnStop, Kind::Clamp, SwitchEntry, 179},
    {Param::NoEjectorControl, Kind::Switch, SwitchEntry, 192},
    {Param::MultiOutput, Kind::Switch, SwitchEntry, 190},
    {Param::ClampCutAfterOk, Kind::Switch, SwitchEntry, 193},
    {Param::OpenDoorFirst, Kind::Switch, SwitchEntry, 195},
    {Param::DoorCheck, Kind::Switch, SwitchEntry, 265},
    {Param::PulseMode, Kind::Switch, SwitchEntry, 202},
    {Param::TemplateCount, Kind::Number, NumberEntry, 185},
    {Param::NgImagesToKeep, Kind::Number, NumberEntry, 186},
    {Param::OkImagesToKeep, Kind::Number, NumberEntry, 187},
    {Param::Amplify, Kind::Number, NumberEntry, 188},
    {Param::LogoutSeconds, Kind::Number, NumberEntry, 189},
    {Param::PositioningOffset, Kind::Number, NumberEntry, 213},
    {Param::BacklightSeconds, Kind::Number, NumberEntry, 243},
    {Param::MinimumSpot, Kind::Number, NumberEntry, 181},
    {Param::RotationRange, Kind::Number, NumberEntry, 403},
    {Param::ZoomEnabled, Kind::Switch, SwitchEntry, 0, QT_TRANSLATE_NOOP("SystemParamDialog", "图像放大缩小")},
    {Param::NoCheckAsksLogin, Kind::Switch, SwitchEntry, 194},
    {Param::AddTemplateAsksLogin, Kind::Switch, SwitchEntry, 341},
    {Param::PasswordUsed, Kind::Switch, SwitchEntry, 170},
};

// Per camera, in this order, with the camera number as %1.
const struct
{
    int base;
    int entry;
} cameraRows[] = {{Param::Exposure, 237}, {Param::Gain, 238}, {Param::Sharpness, 246},
                  {Param::Contrast, 247}, {Param::Gamma, 365}, {Param::ThermalDistance, 576},
                  {Param::ReflectionValue, 577}};

QString machineTypeName(int type)
{
    static const char *const names[] = {QT_TRANSLATE_NOOP("InputOutputParamWidget", "  标准"),
                                        QT_TRANSLATE_NOOP("InputOutputParamWidget", " 双色机"),
                                        QT_TRANSLATE_NOOP("InputOutputParamWidget", " 转盘机")};
    if (type < 0 || type > 2)
        return QString::number(type);
    return QCoreApplication::translate("InputOutputParamWidget", names[type]).trimmed();
}

QString sideName(int side)
{
    const int entries[] = {376, 377, 383};
    return side >= 0 && side <= 2 ? uiText(entries[side]) : QString::number(side);
}

QString switchPiece(const QString &label, bool on, int onEntry = OnEntry, int offEntry = OffEntry)
{
    return uiText(SwitchEntry).arg(label) + uiText(on ? onEntry : offEntry);
}

} // namespace

QString settingsChangeText(const SystemParameters &before, const SystemParameters &after)
{
    QString text = uiText(HeadEntry);
    for (const Row &row : rows) {
        if (row.kind == Kind::PerCamera) {
            for (int c = 0; c < CameraSlotCount; ++c)
                for (const auto &r : cameraRows)
                    if (before[r.base + c] != after[r.base + c])
                        text += uiText(r.entry).arg(QString::number(c + 1), QString::number(before[r.base + c]),
                                                   QString::number(after[r.base + c]));
            continue;
        }
        const int old = before[row.index];
        const int now = after[row.index];
        if (old == now)
            continue;
        const QString label = row.literal ? translated(row.literal) : uiText(row.labelEntry);
        switch (row.kind) {
        case Kind::Number:
            text += uiText(row.templateEntry).arg(label, QString::number(old), QString::number(now));
            break;
        case Kind::Switch:
            text += switchPiece(label, now != 0);
            break;
        case Kind::OnWhenZero:
            text += switchPiece(label, now == 0);
            break;
        case Kind::Clamp:
            text += switchPiece(label, now != 0, ProhibitClampEntry, AllowClampEntry);
            break;
        case Kind::MachineType:
            text += uiText(NumberEntry).arg(label, machineTypeName(old), machineTypeName(now));
            break;
        case Kind::Side:
            text += uiText(NumberEntry).arg(label, sideName(old), sideName(now));
            break;
        case Kind::PerCamera:
            break;
        }
    }
    if (before.password() != after.password())
        text += uiText(PasswordEntry);
    return text;
}

int deriveSettings(SystemParameters &record)
{
    record[Param::MachineMode] = record[Param::ConfiguredMachineMode];
    return record.DeriveStageFields();
}
