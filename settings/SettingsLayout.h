#ifndef SETTINGS_SETTINGSLAYOUT_H
#define SETTINGS_SETTINGSLAYOUT_H

#include <QString>

class ComboBox;
class QLabel;
class QPushButton;
class QWidget;

// Building blocks shared by the settings pages.

// A section heading: "· " and the title in blue.
QLabel *sectionHeading(const QString &title, QWidget *parent);

// The pages' drop-down list: 150 x 50, SimHei 17, items 50 px high.
ComboBox *settingsComboBox(QWidget *parent);

// Gives a named blue button its icon, left of the text, and returns the button's style rule.
// The icons are drawn 64 px; as a background picture they would cover the 50 px button's
// text, so they are scaled down and set as the button's icon.
QString iconButtonRule(QPushButton *button, const QString &icon, int fontPixels, int paddingLeft,
                       int paddingRight);

#endif
