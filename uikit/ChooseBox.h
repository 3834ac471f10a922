#ifndef UIKIT_CHOOSEBOX_H
#define UIKIT_CHOOSEBOX_H

#include <QDialog>

class ColorButton;
class ComboBox;
class EditDateTime;

// A large Yes/No board on the background picture, centred on the main view; exec() returns 1
// for Yes and 0 for No.
class ChooseBox : public QDialog
{
public:
    ChooseBox(QWidget *parent, int width, int height);

    // Stores the message; it shows when the box is next painted.
    void setText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

    ColorButton *yesButton;
    ColorButton *noButton;
    QString message;
    int boxWidth;
    int boxHeight;
};

// Choice of the number of touch calibration points (4, 9 or 25).
class ChooseCaliNumWidget : public ChooseBox
{
public:
    explicit ChooseCaliNumWidget(QWidget *parent = nullptr);

    ComboBox *choiceList() const { return choices; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ComboBox *choices;
};

// The date and time board of the settings; the owner reads the editor after exec().
class ModifyTimeWidget : public ChooseBox
{
public:
    explicit ModifyTimeWidget(QWidget *parent = nullptr);

    EditDateTime *dateTimeEditor() const { return editor; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    EditDateTime *editor;
};

#endif
