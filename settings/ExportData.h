#ifndef SETTINGS_EXPORTDATA_H
#define SETTINGS_EXPORTDATA_H

#include <QString>
#include <QStringList>

// The export of the program folder to the USB stick, after which the raw frames are removed
// from the machine.
enum class ExportResult {
    Exported,
    // Nothing was removed: the folder could not be made, the copy failed, or a raw frame was
    // not found complete in the copy.
    CopyFailed,
    // The copy is complete, but some raw frames could not be removed.
    FramesKept
};

// Copies installFolder into exportFolder under its own name. exportFolder is a folder directly
// on the stick (the folder that holds it); it is made when missing. Nothing on the stick is
// followed: the export folder must not be a link nor resolve anywhere but on the stick, and a
// link inside it where the copy goes is replaced, never written through. Then the contents of
// each raw-frame folder are removed, but only once every file in them has been found in the
// copy on the stick itself, as a file of its own with the same bytes. Files go through
// platform/system. Runs on any thread.
ExportResult exportProgramFolder(const QString &installFolder, const QString &exportFolder,
                                 const QStringList &rawFrameFolders);

#endif
