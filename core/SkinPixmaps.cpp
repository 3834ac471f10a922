#include "core/SkinPixmaps.h"

#include <QPixmap>

const char *const skinPixmapFiles[SkinPixmapCount] = {
    "./images/background.png", "./images/title.png", "./images/line.png", "./images/edit.png",
    ":/slideru.png",           ":/sliderd.png",      ":/slidert.png",
};

void loadSkinPixmaps()
{
    for (int slot = 0; slot < SkinPixmapCount; ++slot) {
        if (!skinPixmaps[slot])
            skinPixmaps[slot] = new QPixmap(QString::fromLatin1(skinPixmapFiles[slot]));
    }
}
