#include "machineio/SerialPortName.h"

#include <QFileInfo>
#include <QRegularExpression>

QString serialDeviceName(const QString &portName)
{
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]{0,3})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(portName);
    if (!match.hasMatch())
        return portName;
    // exists() follows the link, so a link left behind by a finished simulator does not count.
    const QFileInfo local(portName);
    if (local.isSymLink() && local.exists() && !local.isDir())
        return local.canonicalFilePath();
    return QStringLiteral("/dev/ttyS%1").arg(match.captured(1).toInt() - 1);
}

QString comPortName(int portIndex)
{
    return QStringLiteral("COM%1").arg(portIndex + 1);
}
