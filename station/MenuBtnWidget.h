#ifndef STATION_MENUBTNWIDGET_H
#define STATION_MENUBTNWIDGET_H

#include <QWidget>

class Main_MenuBtnWidget;
class QStackedWidget;

// The side menu, the 165 px column at the right of the main window: a stack of the main menu
// (page 0) and the region and template editor page (page 1), which takes the column while an
// alarm is latched or the editor is open.
class MenuBtnWidget : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MenuWidth = 165;

    explicit MenuBtnWidget(QWidget *parent = nullptr);

    // Display mode 0 shows the main menu, 2 and 3 the editor page; other values change nothing.
    void showPage(int displayMode);
    // The editor page becomes page 1, once; the menu takes it as a child. Until then the main
    // menu stays in the column whatever the display mode.
    void setEditorPage(QWidget *page);
    // An editor page is installed and on show.
    bool editorPageShown() const;

    Main_MenuBtnWidget *mainPage() const { return menuPage; }
    QWidget *editorPage() const { return editor; }
    QStackedWidget *pages() const { return stack; }

private:
    QStackedWidget *stack;
    Main_MenuBtnWidget *menuPage;
    QWidget *editor = nullptr;
};

#endif
