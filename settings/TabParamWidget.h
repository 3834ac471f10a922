#ifndef SETTINGS_TABPARAMWIDGET_H
#define SETTINGS_TABPARAMWIDGET_H

#include <QWidget>

// A page of the settings dialog. A page edits the edit record (editParams) only: it never
// reads the live record for its controls and never writes it.
class TabParamWidget : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    // Fills the controls from editParams.
    virtual void LoadParams() = 0;
    // Writes the controls into editParams.
    virtual void StoreParams() = 0;
};

#endif
