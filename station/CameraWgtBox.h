#ifndef STATION_CAMERAWGTBOX_H
#define STATION_CAMERAWGTBOX_H

#include <QList>
#include <QMainWindow>

class CameraInterface;
class CameraWgt_DataWidget;
class CammerWidget;
class QSplitter;

// The camera panel grid of the main window: one panel per camera, the enabled ones laid out
// in rows of splitters, either all together or one camera alone.
//
// Panels per row: all of them up to 3 panels, the integer square root for 4 to 6, the square
// root rounded up from 7 on. With 1 or at least 4 panels what accompanies each view goes
// beside it, otherwise below it.
class CameraWgtBox : public QMainWindow
{
    Q_OBJECT

public:
    // Entry i of cameras is camera i's driver; the box only keeps the pointers.
    CameraWgtBox(const QList<CameraInterface *> &cameras, QWidget *parent);

    // Lays the enabled panels out anew.
    void rebuildGrid();
    // Gives every row and column an equal share of the box.
    void equalizeSizes();

    // Null outside 0 .. panel count - 1.
    CammerWidget *cammerWidget(int n) const;
    CameraWgt_DataWidget *panel(int n) const;
    // True for -1 (all cameras); else whether panel n takes part.
    bool isPanelEnabled(int n) const;

    static int panelsPerRow(int enabledPanels);
    static int layoutModeFor(int enabledPanels);

    QSplitter *outerSplitter() const { return outer; }

    const QList<CameraInterface *> cameras;
    QList<CameraWgt_DataWidget *> panels;

public slots:
    // -1 shows every enabled panel, a camera index that panel alone; the main window's
    // currentCamera follows.
    void slotChangeCameraLayout(int index);

private:
    QSplitter *outer;
};

#endif
