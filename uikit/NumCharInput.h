#ifndef UIKIT_NUMCHARINPUT_H
#define UIKIT_NUMCHARINPUT_H

#include <QVector>
#include <QWidget>

class ColorButton;
class QButtonGroup;

// The full keyboard (gpNumCharInput) of fields with mode bit 2: a digit row and three letter
// rows that switch between lower case, upper case and punctuation. It types into the current
// field.
class NumCharInput : public QWidget
{
    Q_OBJECT

public:
    explicit NumCharInput(QWidget *parent = nullptr);

    // Key ids: 0 to 36 the character keys, 37 page, 38 case, 39 erase, 40 confirm.
    ColorButton *key(int id) const { return keys.value(id); }

public slots:
    void SlotChgChar_Punc();
    void setContent(int id);
    void eraseContent();
    void HideUpdate();
    void SlotCap();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Shows the three letter rows (ids 11 to 36) from one string of 26 characters.
    void showLetterRows(const QString &characters);

    QButtonGroup *group;
    QVector<ColorButton *> keys;
};

#endif
