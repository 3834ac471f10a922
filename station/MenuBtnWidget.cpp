#include "station/MenuBtnWidget.h"

#include "station/Main_MenuBtnWidget.h"

#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int MainPage = 0;
constexpr int EditorPage = 1;

} // namespace

MenuBtnWidget::MenuBtnWidget(QWidget *parent)
    : QWidget(parent)
    , stack(new QStackedWidget(this))
    , menuPage(new Main_MenuBtnWidget(this))
{
    setFixedWidth(MenuWidth);
    auto *column = new QVBoxLayout(this);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(stack);
    menuPage->setObjectName(QStringLiteral("_Main_MenuBtn"));
    stack->addWidget(menuPage);
    stack->setCurrentIndex(MainPage);
    update();
}

void MenuBtnWidget::showPage(int displayMode)
{
    if (displayMode == 0)
        stack->setCurrentIndex(MainPage);
    else if ((displayMode == 2 || displayMode == 3) && editor)
        stack->setCurrentIndex(EditorPage);
    update();
}

void MenuBtnWidget::setEditorPage(QWidget *page)
{
    if (!page || editor)
        return;
    editor = page;
    editor->setObjectName(QStringLiteral("_DrawROI_MenuBtn"));
    stack->insertWidget(EditorPage, editor);
}

bool MenuBtnWidget::editorPageShown() const
{
    return editor && stack->currentWidget() == editor;
}
