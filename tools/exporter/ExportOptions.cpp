#include "tools/exporter/ExportOptions.h"

namespace {

const QString timeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");
// Cameras and stages the result rows can name.
constexpr int MaxIndex = 7;

bool readIndex(const QString &text, int *value)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < -1 || number > MaxIndex)
        return false;
    *value = number;
    return true;
}

} // namespace

bool parseExportOptions(const QStringList &arguments, ExportOptions *options, QString *error)
{
    bool timeGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &option = arguments.at(i);
        // Values the option needs after it.
        const int needed = option == QLatin1String("-t") ? 2
                           : (option == QLatin1String("-c") || option == QLatin1String("-d")
                              || option == QLatin1String("-dir") || option == QLatin1String("-w")
                              || option == QLatin1String("-detail"))
                               ? 1
                               : -1;
        if (needed < 0) {
            *error = QStringLiteral("unknown option \"%1\"").arg(option);
            return false;
        }
        if (i + needed >= arguments.size()) {
            *error = QStringLiteral("option %1 needs %2 value(s)").arg(option).arg(needed);
            return false;
        }
        const QString value = arguments.at(i + 1);
        if (option == QLatin1String("-t")) {
            options->from = QDateTime::fromString(value, timeFormat);
            options->to = QDateTime::fromString(arguments.at(i + 2), timeFormat);
            if (!options->from.isValid() || !options->to.isValid()) {
                *error = QStringLiteral("-t needs two times as yyyy-MM-dd hh:mm:ss.zzz");
                return false;
            }
            timeGiven = true;
        } else if (option == QLatin1String("-c") || option == QLatin1String("-d")) {
            if (!readIndex(value, option == QLatin1String("-c") ? &options->camera
                                                                : &options->detect)) {
                *error = QStringLiteral("%1 needs a number from -1 to %2").arg(option).arg(MaxIndex);
                return false;
            }
        } else if (option == QLatin1String("-dir")) {
            options->targetFolder = value;
        } else if (option == QLatin1String("-w")) {
            options->workingFolder = value;
        } else {
            options->detail = value;
            options->detailGiven = true;
        }
        i += needed;
    }
    if (!timeGiven)
        *error = QStringLiteral("the range -t is missing");
    else if (options->targetFolder.isEmpty())
        *error = QStringLiteral("the target folder -dir is missing");
    else if (options->workingFolder.isEmpty())
        *error = QStringLiteral("the working folder -w is missing");
    else
        return true;
    return false;
}
