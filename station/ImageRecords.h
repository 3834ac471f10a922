#ifndef STATION_IMAGERECORDS_H
#define STATION_IMAGERECORDS_H

#include <QDateTime>
#include <QFileInfo>
#include <QString>
#include <QVector>

// The files the region editor page and the image browser list, from one place, so that a row
// of the browser always names the file the page opens.

// The slot number of a template file name "template<N>.bmp" (N decimal digits only); -1 for
// any other name, so a stray file never stands for slot 0.
int templateSlotOfName(const QString &fileName);

struct TemplateFile
{
    int slot = -1;
    QFileInfo info;
};

// The template files of a camera and stage (0-based), by slot number; other names left out.
QVector<TemplateFile> templateFiles(int camera, int stage);

// The slot a new template takes when every one of slotCount slots is in use: the oldest
// template file other than template0.bmp (same time: the lower slot). A file numbered at or
// beyond slotCount is deleted and the last slot taken instead; so is the last slot when no
// other file is there.
int templateSlotToReplace(int camera, int stage, int slotCount);

// Folder of the stored result images of a camera and stage (0-based): "OK" or "NG".
QString recordFolder(int camera, int stage, bool ok);
// Its "*.jpg" files, newest first; equal times by name, newest name first.
QFileInfoList recordFiles(int camera, int stage, bool ok);

#endif
