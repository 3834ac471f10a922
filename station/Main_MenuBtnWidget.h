#ifndef STATION_MAIN_MENUBTNWIDGET_H
#define STATION_MAIN_MENUBTNWIDGET_H

#include <QWidget>

class QPushButton;

// The main page of the side menu: the logo and eight large command buttons, each calling a
// command slot of the main window. The start/stop button offers what a press would do and is
// red while detection runs.
class Main_MenuBtnWidget : public QWidget
{
    Q_OBJECT

public:
    explicit Main_MenuBtnWidget(QWidget *parent = nullptr);

    // Text and colour of the start/stop button from the main window's run state; restyled
    // only when they change, so it is cheap to call on every repaint tick.
    void refreshStartStop();

    QPushButton *button(const char *objectName) const;

protected:
    // Loads "./logo/logo.png" into the logo button at its size.
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(const char *objectName, const QString &text);
    void startStopClicked();

    QPushButton *startStop = nullptr;
    QPushButton *logo = nullptr;
};

#endif
