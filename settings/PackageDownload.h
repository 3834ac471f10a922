#ifndef SETTINGS_PACKAGEDOWNLOAD_H
#define SETTINGS_PACKAGEDOWNLOAD_H

#include <QString>
#include <QTemporaryFile>

// One package fetched from the update server into a hidden temporary file ".newupdate-<random>"
// in the folder where it is to go (ones left by a download cut short are removed first), so
// that it never lies whole in memory and is put in place by a rename: the body is written out
// as it arrives, through a read buffer of ReadBufferBytes, and a body that grows past the bound
// is cut off at once. Until placeAs() the file is removed with this object. GUI thread: the
// wait runs a local event loop, so the run controller's timers go on meanwhile.
class PackageDownload
{
public:
    static constexpr qint64 ReadBufferBytes = 1 << 20;

    enum class Result {
        Complete,
        // Not complete within the wait.
        TimedOut,
        // Refused: an HTTP error or a redirect, a body shorter or longer than announced, an
        // empty body, or the file could not be written.
        Failed,
        // Announced or grown larger than the bound.
        TooLarge
    };

    explicit PackageDownload(const QString &folder);

    Result fetch(const QString &url, qint64 maxBytes, int waitMs);
    // The temporary file; complete after fetch() returned Complete.
    QString fileName() const { return file.fileName(); }
    // Renames the complete file over target (a file or link there is replaced).
    bool placeAs(const QString &target);

private:
    QString folder;
    QTemporaryFile file;
};

#endif
