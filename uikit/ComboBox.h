#ifndef UIKIT_COMBOBOX_H
#define UIKIT_COMBOBOX_H

#include <QComboBox>

class QListView;

// A drop-down list for the touch screen: it never takes the keyboard focus, ignores the mouse
// wheel (so a scrolling finger cannot change a setting) and reports every press.
class ComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ComboBox(QWidget *parent = nullptr);

    // Gives the font to the list and to the box itself.
    void setComboFont(const QFont &font);

signals:
    void clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListView *listView;
};

// The common white rounded look with a 30 px drop-down arrow and the given item height.
void setComboBoxStyle(QComboBox *box, int itemHeight);

#endif
