#include "core/SystemParameters.h"

#include "core/AtomicFile.h"
#include "core/Globals.h"
#include "core/SmallTextFile.h"
#include "core/StationHost.h"
#include "core/SysparamTable.h"

#include <QByteArray>
#include <QFile>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>

QString ioInputNames[IoNameCount];
QString ioOutputNames[IoNameCount];
QString customNames[CustomNameCount];

namespace {

// Positions of a row that do not hold a record index.
constexpr int LanguagePosition = -1;      // currentLanguage
constexpr int MachineModePosition = -2;   // read into the active mode, written from the configured one

// One row of table sysparam and the record index of each of its values, in position order.
struct ParameterRow
{
    QString key;
    QVector<int> indices;   // empty for the password row
    bool insertWhenMissing;
};

QVector<int> indexRange(int first, int count)
{
    QVector<int> indices(count);
    std::iota(indices.begin(), indices.end(), first);
    return indices;
}

QVector<int> joined(std::initializer_list<QVector<int>> parts)
{
    QVector<int> indices;
    for (const QVector<int> &part : parts)
        indices += part;
    return indices;
}

// The rows in the order they are read. 217 is a scratch index: the positions that carry no
// setting all map to it, and the last one read wins.
const QVector<ParameterRow> &parameterRows()
{
    static const QVector<ParameterRow> rows = {
        {QStringLiteral("trigInDelay"), indexRange(72, 8), false},
        {QStringLiteral("exposeTime"), indexRange(0, 4), false},
        {QStringLiteral("adjustPlus"), indexRange(8, 4), false},
        {QStringLiteral("numFailDetect"),
         {MachineModePosition, 207, 209, 210, 217, 211, 212, 215}, false},
        {QStringLiteral("numAllDetect"), indexRange(32, 8), false},
        {QStringLiteral("isPswUsed"), {131}, false},
        {QStringLiteral("password"), {}, false},
        {QStringLiteral("system1"), {118, 133, 127, 129, 128, 208, 143, 137, 217}, false},
        {QStringLiteral("system2"),
         {130, 135, 201, 136, 144, 145, 152, 154, 151, 162, 163, 217, LanguagePosition, 174, 175,
          138, 139, 146},
         false},
        {QStringLiteral("system3"), {153, 165, 140, 166, 167, 168, 169, 170, 141, 172, 171}, false},
        {QStringLiteral("system4"), {132, 149, 150}, false},
        {QStringLiteral("sharp"), indexRange(16, 4), false},
        {QStringLiteral("contrast"), indexRange(24, 4), false},
        {QStringLiteral("system5"), {4, 5, 12, 13, 20, 21, 28, 29, 156, 216, 157, 323, 158}, false},
        {QStringLiteral("system6"), {6, 7, 14, 15, 22, 23, 30, 31, 147, 173, 179, 164}, false},
        {QStringLiteral("system7"),
         {182, 217, 191, 202, 108, 109, 110, 192, 111, 204, 176, 243, 177, 217, 112, 148, 161, 217,
          217, 213},
         true},
        {QStringLiteral("system8"),
         joined({{244}, indexRange(255, 8), indexRange(265, 8), {155, 178, 180}}), true},
        {QStringLiteral("system9"),
         joined({indexRange(245, 8), {217, 214}, indexRange(56, 8), {322, 203}}), true},
        {QStringLiteral("system10"),
         joined({indexRange(286, 8), indexRange(296, 8), indexRange(64, 4)}), true},
        {QStringLiteral("system11"),
         joined({indexRange(325, 8), indexRange(341, 8), indexRange(68, 4)}), true},
        {QStringLiteral("system12"),
         joined({{181}, indexRange(358, 8), {159, 160, 324}, indexRange(183, 8)}), true},
        {QStringLiteral("mirror"), indexRange(40, 16), true},
        {QStringLiteral("enable"), indexRange(193, 8), true},
    };
    return rows;
}

// The stored form of one row: the values in position order, separated by single blanks, or
// the password text.
QString rowValue(const SystemParameters &record, const ParameterRow &row, int language)
{
    if (row.indices.isEmpty())
        return QString::fromLatin1(record.password());
    QStringList numbers;
    for (int index : row.indices) {
        const qint32 value = index == LanguagePosition      ? language
                             : index == MachineModePosition ? record[Param::ConfiguredMachineMode]
                                                            : record[index];
        numbers << QString::number(value);
    }
    return numbers.join(QLatin1Char(' '));
}

void readRowValues(SystemParameters &record, const ParameterRow &row, const QString &value)
{
    // A position that is missing or not a number keeps the value the record holds, its
    // default: a 0 there could flip an output level or switch a tool off.
    const QStringList numbers = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QStringList notNumbers;
    for (int position = 0; position < row.indices.size() && position < numbers.size(); ++position) {
        bool isNumber = false;
        const int number = numbers.at(position).toInt(&isNumber);
        if (!isNumber) {
            notNumbers << QStringLiteral("%1 (\"%2\")").arg(position + 1).arg(numbers.at(position).left(20));
            continue;
        }
        const int index = row.indices.at(position);
        if (index == LanguagePosition)
            currentLanguage = number;
        else
            record[index == MachineModePosition ? Param::MachineMode : index] = number;
    }
    const int count = int(row.indices.size());
    if (numbers.size() < count)
        qWarning("sysparam row %s holds %d of %d values: positions %d to %d keep their defaults",
                 qPrintable(row.key), int(numbers.size()), count, int(numbers.size()) + 1, count);
    if (!notNumbers.isEmpty())
        qWarning("sysparam row %s: position %s not a number, default kept", qPrintable(row.key),
                 qPrintable(notNumbers.join(QStringLiteral(", "))));
}

// Range checks compare as unsigned numbers, so a negative value fails every check whose lower
// bound is 0 or more.
void checkRange(SystemParameters &record, int index, quint32 low, quint32 high, qint32 fallback)
{
    const quint32 value = quint32(record[index]);
    if (value < low || value > high)
        record[index] = fallback;
}

void readGroupIndex(SystemParameters &record)
{
    record[Param::ParameterGroup] = 0;
    QByteArray text;
    if (readSmallFile(QStringLiteral("sysadd.txt"), 64, &text)) {
        const QByteArray word = text.simplified();
        quint64 group = 0;
        if (parseBoundedNumber(word, quint64(std::numeric_limits<qint32>::max()), &group))
            record[Param::ParameterGroup] = qint32(group);
        else
            qWarning("sysadd.txt holds no group index (\"%s\"); group 0 is taken",
                     qPrintable(logSample(word)));
        return;
    }
    writeFileAtomically(QStringLiteral("sysadd.txt"), QByteArray::number(record[Param::ParameterGroup]));
}

// Machine-input and output display names of the first five signals, as uiTexts entries.
struct IoNameEntries
{
    int inputs[5];
    int outputs[5];
};

void loadIoNames(int machineMode)
{
    QFile file(QStringLiteral("name.txt"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        stream.setCodec("UTF-8");
        for (QString &name : customNames)
            name = stream.readLine();
        return;
    }
    static const IoNameEntries entries[3] = {
        {{301, 302, 303, 304, 304}, {305, 306, 307, 304, 304}},
        {{301, 302, 376, 377, 304}, {305, 378, 307, 304, 304}},
        {{379, 380, 381, 382, 304}, {378, 306, 307, 304, 304}},
    };
    const IoNameEntries &modeEntries = entries[qBound(0, machineMode, 2)];
    const int language = qBound(0, currentLanguage, 3);
    for (int i = 0; i < 5; ++i) {
        ioInputNames[i] = uiTexts[4 * modeEntries.inputs[i] + language];
        ioOutputNames[i] = uiTexts[4 * modeEntries.outputs[i] + language];
    }
}

} // namespace

bool SystemParameters::operator==(const SystemParameters &other) const
{
    return std::equal(std::begin(values), std::end(values), std::begin(other.values));
}

SystemParameters &SystemParameters::SetDefaults()
{
    // Every other index defaults to 0, which a new record already holds.
    std::fill(values + Param::OutputIdleLevel, values + Param::OutputIdleLevel + 10, 1);
    values[Param::StageEnabled + 1] = 1;          // the mould-cavity stage
    values[Param::TriggerInput] = 0;
    std::fill(values + Param::CameraEnabled, values + Param::CameraEnabled + CameraSlotCount, 1);
    values[Param::MultiStageCount] = 2;
    values[Param::RecordMinutes] = 30;
    std::fill(passwordBytes(), passwordBytes() + PasswordBytes, '\0');
    return *this;
}

QByteArray SystemParameters::password() const
{
    return QByteArray(passwordBytes(), int(qstrnlen(passwordBytes(), PasswordBytes)));
}

bool SystemParameters::setPassword(const QByteArray &text)
{
    if (text.size() > MaxPasswordLength)
        return false;
    // The bytes after the text are cleared too: records are compared byte by byte.
    std::fill(passwordBytes(), passwordBytes() + PasswordBytes, '\0');
    std::memcpy(passwordBytes(), text.constData(), size_t(text.size()));
    return true;
}

QVector<QPair<QString, QString>> SystemParameters::StoredRows(int language) const
{
    SysparamRows rows;
    for (const ParameterRow &row : parameterRows())
        rows.append({row.key, rowValue(*this, row, language)});
    return rows;
}

bool SystemParameters::Load(QSqlQuery query)
{
    readGroupIndex(*this);

    bool ok = true;
    QVector<const ParameterRow *> missing;
    for (const ParameterRow &row : parameterRows()) {
        QString value;
        bool found = false;
        if (!selectSysparamValue(query, row.key, &value, &found)) {
            ok = false;   // the connection fails: the rest keeps its defaults
            break;
        }
        if (!found) {
            if (row.insertWhenMissing)
                missing.append(&row);
            continue;
        }
        if (row.indices.isEmpty()) {
            const QByteArray text = value.toLatin1();
            if (!setPassword(text))
                qWarning("stored password of %d characters ignored", text.size());
            continue;
        }
        readRowValues(*this, row, value);
    }
    // A missing row gets the values the record holds for it (its defaults), written as a save
    // would write them, so that the next load reads what this one kept.
    if (ok && !missing.isEmpty()) {
        SysparamRows inserted;
        for (const ParameterRow *row : missing)
            inserted.append({row->key, rowValue(*this, *row, currentLanguage)});
        ok = insertSysparamRows(query, inserted) && ok;
    }

    std::fill(values + Param::LaterOutputsIdleLevel + 1, values + Param::OutputIdleLevel + 10,
              values[Param::LaterOutputsIdleLevel]);
    CheckRanges();
    if (!values[Param::DefectToolEnabled] && !values[Param::SpotToolEnabled]
        && !values[Param::BlackAreaToolEnabled] && !values[Param::WhiteAreaToolEnabled]
        && !values[Param::SimilarityToolEnabled] && !values[Param::WhiteCountToolEnabled])
        values[Param::DefectToolEnabled] = 1;   // defect detection is the fall-back tool
    DeriveStageLayout();
    loadIoNames(values[Param::MachineMode]);
    return ok;
}

void SystemParameters::CheckRanges()
{
    using namespace Param;
    SystemParameters &r = *this;
    for (int camera = 0; camera < CameraSlotCount; ++camera) {
        checkRange(r, Exposure + camera, 0, 10000, 30);
        checkRange(r, Gain + camera, 0, 10000, 32);
        checkRange(r, Sharpness + camera, 0, 10000, 0);
        checkRange(r, Contrast + camera, 0, 10000, 50);
        checkRange(r, Gamma + camera, 0, 10000, 70);
        checkRange(r, ReflectionValue + camera, 0, 2, 1);
    }
    checkRange(r, MultiStageCount, 2, 8, 2);
    checkRange(r, MachineMode, 0, 2, 0);
    values[ConfiguredMachineMode] = values[MachineMode];
    if (values[MachineMode] == 1 || values[MachineMode] == 2)
        checkRange(r, MouldSide, 0, 3, 0);
    checkRange(r, PreCut, 0, 10000, 0);
    checkRange(r, CavityRechecks, 0, 10000, 0);
    checkRange(r, FilterSize, 1, 100, 3);
    checkRange(r, AlarmArea, 1, 100000, 100);
    checkRange(r, TemplateCount, 1, 100, 10);
    checkRange(r, NgImagesToKeep, 0, 10000, 0);
    checkRange(r, OkImagesToKeep, 0, 10000, 0);
    checkRange(r, EjectorPulse, 0, 10000, 0);
    checkRange(r, ClampPulse, 0, 10000, 0);
    if (values[MotionCorrection] != -1 && values[MotionCorrection] != 0)
        values[MotionCorrection] = -1;   // 0 on, -1 off
    checkRange(r, RotationRange, 0, 180, 0);
    checkRange(r, LogoutSeconds, 0, 10000, 0);
    checkRange(r, Amplify, 0, 4, 0);
    checkRange(r, PositioningOffset, 1, 8000, 8000);
    if (values[BacklightSeconds] != 0)
        checkRange(r, BacklightSeconds, 30, 9999, 600);   // 0 is never
    checkRange(r, FrameRate, 0, 100, 12);
    checkRange(r, NoSignalSeconds, 0, 100000000, 60);
    if (currentLanguage < 0 || currentLanguage > 3)
        currentLanguage = 0;
    checkRange(r, IoPort, 0, 100, 0);
    checkRange(r, MinimumSpot, 1, 100, 3);
    checkRange(r, Scratch, 0, 100000000, 0);
}

void SystemParameters::DeriveStageLayout()
{
    const int side = DeriveStageFields();
    detectsPerCamera = values[Param::MachineMode] == 0 ? 2 : 4;
    // At start-up the main window does not exist yet and keeps its own side.
    if (side >= 0 && stationHost)
        stationHost->setCurrentSide(side);
}

int SystemParameters::DeriveStageFields()
{
    // The stages in use and the trigger inputs of stages 0 and 1 follow from the machine mode
    // and the side selection.
    using namespace Param;
    const int product = values[ProductStage] ? 1 : 0;
    const bool semiAuto = values[SemiAutomatic] != 0;
    const int mode = values[MachineMode];
    const int selection = values[MouldSide];
    qint32 *enabled = values + StageEnabled;
    qint32 *trigger = values + TriggerInput;
    values[LoadMarker] = 4;
    if (mode == 0) {
        enabled[0] = values[ProductStage];
        enabled[1] = 1;
        trigger[0] = 0;
        trigger[1] = semiAuto ? 2 : 0;
        return -1;
    }
    if (mode != 1 && mode != 2)
        return -1;
    if (selection == 0) {
        enabled[0] = product;
        enabled[1] = 1;
        enabled[2] = 0;
        enabled[3] = 0;
        trigger[0] = 0;
        trigger[1] = mode == 1 ? 2 : (semiAuto ? 2 : 0);
        return 1;
    }
    if (selection == 1) {
        enabled[0] = 0;
        enabled[1] = 0;
        enabled[2] = product;
        enabled[3] = 1;
        trigger[0] = mode == 1 ? 0 : 3;
        trigger[1] = mode == 1 ? 3 : (semiAuto ? 2 : 3);
        return 0;
    }
    enabled[0] = product;
    enabled[1] = 1;
    enabled[2] = product;
    enabled[3] = 1;
    trigger[0] = mode == 1 ? 0 : 255;
    trigger[1] = mode == 1 ? 255 : (semiAuto ? 2 : 255);
    return -1;
}

bool SystemParameters::SaveAll(QSqlQuery query) const
{
    if (!saveSysparamRows(query, StoredRows(currentLanguage))) {
        qCritical("system parameters not saved");
        return false;
    }
    return true;
}

bool SystemParameters::LoadCameraSerials(QSqlQuery query)
{
    values[Param::StoredSerialCount] = 0;
    bool ok = true;
    SysparamRows missing;
    for (int slot = 0; slot < CameraSlotCount; ++slot) {
        QString value;
        bool found = false;
        if (!selectSysparamValue(query, serialRowName(slot), &value, &found)) {
            ok = false;   // the connection fails: the slots keep their content
            break;
        }
        if (!found) {
            qstrcpy(cameraSlotSerials[slot], "0");
            missing.append({serialRowName(slot), QStringLiteral("0")});
            continue;
        }
        // Shorter texts are "0" or rubbish; a slot keeps its content unless a real serial is
        // stored.
        const QByteArray serial = value.toLatin1();
        if (serial.size() > 8 && serial.size() < CameraSerialBytes) {
            ++values[Param::StoredSerialCount];
            std::memcpy(cameraSlotSerials[slot], serial.constData(), size_t(serial.size()) + 1);
        }
    }
    if (ok && !missing.isEmpty())
        ok = insertSysparamRows(query, missing);
    return ok;
}

bool SystemParameters::SaveGroupIndex() const
{
    return writeFileAtomically(QStringLiteral("sysadd.txt"),
                               QByteArray::number(values[Param::ParameterGroup]) + '\n');
}
