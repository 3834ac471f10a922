#ifndef TOOLS_ASSETGEN_SKINPICTURES_H
#define TOOLS_ASSETGEN_SKINPICTURES_H

#include <QImage>
#include <QString>
#include <QVector>

// One picture file of the runtime folder, read by the program from its working directory.
struct RuntimePicture
{
    QString path;   // relative to the runtime folder, e.g. "images/background.png"
    QImage image;
};

// The skin pictures (background, title band, separator line, value box), the slider parts
// used by style sheets, the date arrows and the logos.
QVector<RuntimePicture> runtimePictures(const QVector<QImage> &sliderParts);

#endif
