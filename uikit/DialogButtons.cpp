#include "uikit/DialogButtons.h"

okbtn::okbtn(QWidget *parent)
    : QPushButton(parent)
{
    setStyleSheet(QStringLiteral("QPushButton{width: 135px;height: 60px;background-color: #2687F2;"
                                 "color: #FFFFFF;font: 24px;border-radius: 4px;opacity: 1;}"));
    setText(tr("确定"));
}

cancelbtn::cancelbtn(QWidget *parent)
    : QPushButton(parent)
{
    setStyleSheet(QStringLiteral("QPushButton{width: 135px;height: 60px;background-color: #CCCCCC;"
                                 "color: #F24C3F;font: 24px;border-radius: 4px;opacity: 1;"
                                 "border: 1px solid #999999}"));
    setText(tr("取消"));
}
