#ifndef TOOLS_ASSETGEN_PICTOGRAMS_H
#define TOOLS_ASSETGEN_PICTOGRAMS_H

#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

// One picture the program embeds as a ":/..." resource.
struct EmbeddedPicture
{
    QString name;         // resource path below ":/", e.g. "Close.png"
    QStringList aliases;  // further resource paths that show the same picture
    QImage image;
};

// Every embedded picture the interface names: command icons, check and radio boxes, arrows,
// the close and warning icons and the slider parts.
QVector<EmbeddedPicture> embeddedPictures();

#endif
