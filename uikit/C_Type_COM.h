#ifndef UIKIT_C_TYPE_COM_H
#define UIKIT_C_TYPE_COM_H

#include <QWidget>

// Carrier of the line-edit border style: a 2 px rounded border that changes colour when the
// edit has the focus.
class C_Type_COM : public QWidget
{
    Q_OBJECT

public:
    explicit C_Type_COM(QWidget *parent = nullptr);

    // Focus colour by type: 0 "#34495E", 1 "#1ABC9C", 2 "#3498DB", 3 "#E74C3C"; other types
    // change nothing.
    static void setLineEditStyle(QWidget *edit, int type);
    static void setLineEditColors(QWidget *edit, const QString &normal, const QString &focus);

public slots:
    void initForm();
};

#endif
