#ifndef UIKIT_NUMBERKEYPAD_H
#define UIKIT_NUMBERKEYPAD_H

#include <QPointer>
#include <QWidget>

class ColorButton;
class Edit;
class QButtonGroup;

// The numeric keypad a field builds for itself when it is tapped. It always types into the
// field it was built for, wherever it is placed later, and deletes itself when it closes.
class NumberKeyPad : public QWidget
{
    Q_OBJECT

public:
    // parent: the field to type into.
    explicit NumberKeyPad(QWidget *parent = nullptr);

    // While set, the next key replaces the field's content.
    bool isFresh() const { return fresh; }
    void setFresh(bool on) { fresh = on; }

    Edit *target() const { return targetEdit; }

public slots:
    void setContent(int id);
    void eraseContent();
    void eraseAll();
    // The confirm key: ends the editing of the current field and closes the keypad.
    void HideUpdate();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool fresh = true;
    QButtonGroup *keys;
    ColorButton *confirmKey;
    ColorButton *eraseKey;
    QPointer<Edit> targetEdit;
};

#endif
