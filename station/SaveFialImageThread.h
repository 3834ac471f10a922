#ifndef STATION_SAVEFIALIMAGETHREAD_H
#define STATION_SAVEFIALIMAGETHREAD_H

#include <QString>
#include <QThread>

#include <atomic>

class QDir;
class QImage;
class ResultImageBuffers;
struct ArchiveImage;

// The result image archiver: writes the result images that the run controller handed over
// (ResultImageBuffers::flag) as JPEG files into "./alarmimage/camera%1/detect%2/NG" or "OK",
// oldest first, and keeps each folder at its number of newest images (ngImagesToKeep,
// okImagesToKeep). It runs beside the GUI thread so that encoding and folder pruning never
// delay a mould cycle, and it writes as fast as images come: no pause between images.
//
// A file is named by the time of its save, "yyyy-MM-dd_hh.mm.ss", with "n_" in front when
// region n was the first NG region drawn into the image; a name already taken (two images of
// a folder within one second) gets "_2", "_3" ... behind. A file appears under its name only
// once it is complete.
//
// Destroying the object stops the thread and waits for it.
class SaveFialImageThread : public QThread
{
    Q_OBJECT

public:
    // Keep limits are taken now; a change applies after the next start.
    explicit SaveFialImageThread(ResultImageBuffers *buffers = nullptr);
    ~SaveFialImageThread() override;

    // Asks run() to end once the image in hand is written; images still queued stay for a
    // later archiver, or, with writeQueued, are written first. Does not wait.
    void requestStop(bool writeQueued = false);

    // Writes one image into its folder after pruning the folder to keep - 1 files; the
    // file's path, empty when the save failed.
    static QString writeImage(const ArchiveImage &image, int keep);
    // The file name for a save at the current time into folder.
    static QString fileNameFor(const QDir &folder, int firstNgRegion);

protected:
    void run() override;

private:
    void write(const ArchiveImage &image);

    ResultImageBuffers *const buffers;
    const int ngKeep;
    const int okKeep;
    std::atomic<bool> stopFlag{false};
    std::atomic<bool> writeQueuedOnStop{false};
    bool saveFailed = false;
};

#endif
