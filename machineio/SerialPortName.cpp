#include "machineio/SerialPortName.h"

#include <QRegularExpression>

QString serialDeviceName(const QString &portName)
{
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]{0,3})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(portName);
    if (!match.hasMatch())
        return portName;
    return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
}

QString comPortName(int portIndex)
{
    return QStringLiteral("COM%1").arg(portIndex + 1);
}
