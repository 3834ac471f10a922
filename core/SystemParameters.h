#ifndef CORE_SYSTEMPARAMETERS_H
#define CORE_SYSTEMPARAMETERS_H

#include "core/ParameterNames.h"

#include <QPair>
#include <QString>
#include <QVector>
#include <QtGlobal>

class QByteArray;
class QSqlQuery;

// The flat system-parameter record: 366 signed 32-bit integers at fixed indices. Indices 218
// to 242 hold the user password as a NUL-terminated Latin-1 string. The record is copied as a
// whole between the live and the edit instance.
//
// It is stored as rows of table sysparam(name, value) in "PARAM.db": each value a list of
// decimal integers separated by single blanks, the password as its text.
class SystemParameters
{
public:
    static constexpr int Count = 366;
    static constexpr int PasswordIndex = Param::Password;
    static constexpr int PasswordBytes = 100;   // indices 218 to 242
    static constexpr int MaxPasswordLength = PasswordBytes - 1;

    qint32 &operator[](int index)
    {
        Q_ASSERT(index >= 0 && index < Count);
        return values[index];
    }
    qint32 operator[](int index) const
    {
        Q_ASSERT(index >= 0 && index < Count);
        return values[index];
    }
    // Equal in every integer, password bytes included.
    bool operator==(const SystemParameters &other) const;
    bool operator!=(const SystemParameters &other) const { return !(*this == other); }

    // Writes the defaults (camera enabled, stage 1 enabled, output idle levels on, two I/O
    // stages, 30 recording minutes) into a record that starts zero-filled; returns it.
    SystemParameters &SetDefaults();

    // Fills the record from the rows of sysparam through the query, then checks the ranges and
    // derives the stage layout. Also sets currentLanguage, detectsPerCamera, the I/O display
    // names or customNames, and reads "sysadd.txt" into index 357 (creating it with 0 when it
    // is missing). Missing rows system7 to system12, mirror and enable are added with the
    // record's own values. Returns false when a statement failed (logged); the record is
    // still checked and derived.
    bool Load(QSqlQuery query);

    // Writes every stored row in one transaction. Returns false, logs why and changes nothing
    // when any statement fails or a row is missing.
    bool SaveAll(QSqlQuery query) const;

    // Reads the camera serial rows "serialNB0" to "serialNB7" into cameraSlotSerials and counts
    // the slots holding a serial in index 134. A missing row becomes "0" and is added.
    // The query works on "SN.db". Returns false when a statement failed (logged).
    bool LoadCameraSerials(QSqlQuery query);

    // Writes index 357, the current parameter group, to "sysadd.txt" with a line end.
    bool SaveGroupIndex() const;

    // The password text (Latin-1, up to the first NUL of its 100 bytes).
    QByteArray password() const;
    // Stores a password of at most 99 Latin-1 characters; false (nothing changed) when longer.
    bool setPassword(const QByteArray &text);

    // The per-stage fields that follow from the active machine mode (205), the mould side
    // (207) and the product-stage and semi-automatic switches: the stage enables from 119, the
    // trigger inputs 81 and 82, and 306 := 4. Returns the main window's side the choice
    // implies (1: stages 0 and 1, 0: stages 2 and 3), or -1 when it leaves the side as it is.
    int DeriveStageFields();

    // Every stored row as (name, value) in the form SaveAll writes, with the given language
    // in its place in row system2.
    QVector<QPair<QString, QString>> StoredRows(int language) const;

    qint32 values[Count] = {};

private:
    void CheckRanges();
    // DeriveStageFields, then detectsPerCamera and the main window's side.
    void DeriveStageLayout();

    char *passwordBytes() { return reinterpret_cast<char *>(values + PasswordIndex); }
    const char *passwordBytes() const
    {
        return reinterpret_cast<const char *>(values + PasswordIndex);
    }
};

static_assert(sizeof(SystemParameters) == SystemParameters::Count * sizeof(qint32),
              "the record is a plain block of integers");

// Display names of the machine inputs and outputs; the first five of each are set from the
// text table by machine mode when the parameters are loaded without a "name.txt".
constexpr int IoNameCount = 10;
extern QString ioInputNames[IoNameCount];
extern QString ioOutputNames[IoNameCount];

// The lines of "name.txt", read when the parameters are loaded.
constexpr int CustomNameCount = 8;
extern QString customNames[CustomNameCount];

#endif
