#ifndef CORE_SKINPIXMAPS_H
#define CORE_SKINPIXMAPS_H

#include "core/Globals.h"

// Files of the shared pictures in skinPixmaps, by slot: background, title band, separator
// line, value box, and the slider's passed groove, remaining groove and handle.
extern const char *const skinPixmapFiles[SkinPixmapCount];

// Loads the shared pictures in slot order (start-up, after the application object exists).
// A missing file gives a null pixmap and no message. The pixmaps live for the whole run.
void loadSkinPixmaps();

#endif
