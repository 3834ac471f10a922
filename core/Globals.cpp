#include "core/Globals.h"

#include "core/StationHost.h"

QString uiTexts[UiTextCount];
int currentLanguage = 0;

SystemParameters *currentParams = nullptr;
SystemParameters *editParams = nullptr;

QMutex *ioMutex = nullptr;
QMutex *imageSaveMutex = nullptr;

QPixmap *skinPixmaps[SkinPixmapCount] = {};

QString imageTimeStamp;

const QVector<float> frameRateFactors = {1.0f, 0.66f, 0.5f, 0.33f, 0.25f, 0.125f};

char cameraSlotSerials[CameraSlotCount][CameraSerialBytes] = {};

int detectsPerCamera = 2;

const char applicationVersion[] = "17.4.0.30";

StationHost *stationHost = nullptr;
