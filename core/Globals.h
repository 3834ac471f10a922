#ifndef CORE_GLOBALS_H
#define CORE_GLOBALS_H

#include <QString>
#include <QVector>

class QMutex;
class QPixmap;
class SystemParameters;

// Process-wide values created by main() or before it; none is replaced or destroyed during
// the run. Read on the GUI thread unless noted.

constexpr int UiTextCount = 8192;
// Entry e in language l (0 simplified Chinese, 1 English, 2 traditional Chinese, 3 Japanese)
// is uiTexts[4 * e + l].
extern QString uiTexts[UiTextCount];
extern int currentLanguage;

extern SystemParameters *currentParams;
extern SystemParameters *editParams;

// Guards the input and output words shared with the I/O polling thread.
extern QMutex *ioMutex;
// Guards the result images and flags waiting for the result image archiver thread.
extern QMutex *imageSaveMutex;

constexpr int SkinPixmapCount = 7;
extern QPixmap *skinPixmaps[SkinPixmapCount];

// Time text "yyyy-MM-dd hh.mm.ss" of the latest image, used in image file names.
extern QString imageTimeStamp;

// Factors of a camera's maximum frame rate, indexed by the frame-rate level 0 to 5.
extern const QVector<float> frameRateFactors;

constexpr int CameraSlotCount = 8;
constexpr int CameraSerialBytes = 100;
// Serial of the camera bound to each slot, NUL-terminated Latin-1; "0" or empty for none.
extern char cameraSlotSerials[CameraSlotCount][CameraSerialBytes];

// Detect stages per camera: 2 in machine mode 0, 4 in modes 1 and 2 (set at parameter load).
extern int detectsPerCamera;
// The most detect stages a camera has (machine modes 1 and 2 use 4 of them).
constexpr int MaxDetectsPerCamera = 8;

// The program's version, logged at start-up and shown in the settings.
extern const char applicationVersion[];

#endif
