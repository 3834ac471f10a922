#include "uikit/FloatSlider.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

namespace {

const char sliderStyle[] =
    "QSlider::groove:horizontal {\n"
    "border: 0px solid #bbb;\n"
    "}\n"
    "/* the part already passed */\n"
    "QSlider::sub-page:horizontal {\n"
    "border-image:url(./images/slideru.png);\n"
    "background: rgb(90,49,255);\n"
    "border-radius: 2px;\n"
    "margin-top:8px;\n"
    "margin-bottom:8px;\n"
    "}\n"
    "/* the part not yet passed */\n"
    "QSlider::add-page:horizontal {\n"
    "border-image:url(./images/sliderd.png);\n"
    "background: rgb(255,255, 255);\n"
    "border: 0px solid #777;\n"
    "border-radius: 2px;\n"
    "margin-top:9px;\n"
    "margin-bottom:9px;\n"
    "}\n"
    "/* the handle */\n"
    "QSlider::handle:horizontal {\n"
    "border-image:url(./images/slidert.png);\n"
    "background: rgb(193,204,208);\n"
    "width: 25px;\n"
    "border: 1px solid rgb(193,204,208);\n"
    "border-radius: 2px;\n"
    "margin-top:1px;\n"
    "margin-bottom:1px;\n"
    "}\n";

constexpr int ResetMilliseconds = 30000;

} // namespace

FloatSlider::FloatSlider(QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);

    valueLabel = new QLabel(QStringLiteral("0.00"), this);
    valueLabel->setAlignment(Qt::AlignCenter);
    valueLabel->setStyleSheet(QStringLiteral("QLabel{outline:0px;border:none;font-size:25px;color:#00FF00;}"));
    row->addWidget(valueLabel, 0, Qt::AlignCenter);

    toggleButton = new QPushButton(this);
    toggleButton->setFixedSize(25, 35);
    toggleButton->setIconSize(toggleButton->size());
    setToggleIcon(QStringLiteral(":/hide.png"));
    connect(toggleButton, &QPushButton::clicked, this, &FloatSlider::toggleSlider);
    row->addWidget(toggleButton, 0, Qt::AlignCenter);

    setStyleSheet(QString::fromLatin1(sliderStyle));

    slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(0, 100);
    slider->setContentsMargins(20, 0, 20, 0);
    row->addWidget(slider, 0, Qt::AlignCenter);
    row->addStretch();
    row->setContentsMargins(0, 0, 0, 0);

    connect(slider, &QSlider::valueChanged, this, &FloatSlider::updateLabel);

    resetTimer = new QTimer(this);
    resetTimer->setSingleShot(true);
    resetTimer->setInterval(ResetMilliseconds);
    connect(resetTimer, &QTimer::timeout, this, &FloatSlider::resetToMinimum);
}

void FloatSlider::setToggleIcon(const QString &resource)
{
    const QPixmap picture(resource);
    if (picture.isNull()) {
        toggleButton->setIcon(QIcon());
        return;
    }
    toggleButton->setIcon(QIcon(picture.scaled(toggleButton->size(), Qt::IgnoreAspectRatio,
                                               Qt::SmoothTransformation)));
}

void FloatSlider::toggleSlider()
{
    slider->setVisible(slider->isHidden());
    setToggleIcon(slider->isHidden() ? QStringLiteral(":/show.png") : QStringLiteral(":/hide.png"));
}

void FloatSlider::updateLabel(int intValue)
{
    value = intValue / scale;
    valueLabel->setText(QString::number(value, 'f', 2));
    resetTimer->start();
    emit updateValue(value);
}

void FloatSlider::resetToMinimum()
{
    // Through the slider: a real change runs updateLabel, which reports the minimum.
    slider->setValue(slider->minimum());
    value = slider->minimum() / scale;
    valueLabel->setText(QString::number(value, 'f', 2));
}

void FloatSlider::restartTimer()
{
    resetTimer->start();
}

void FloatSlider::showEvent(QShowEvent *event)
{
    slider->setFixedWidth(qMax(0, width() - valueLabel->width() - toggleButton->width() - 10));
    slider->setFixedHeight(height());
    QWidget::showEvent(event);
}
