// The export program of the result store: writes the result rows of a time range as CSV files.
// The station starts it as "./cnt_net/export_temperature/temperature_export.exe" with the
// options of ExportOptions.h and waits for its end. On success it prints "export finished"
// and exits with 0; otherwise it prints one line saying why and exits with 2 (bad options),
// 3 (a day file could not be read) or 4 (a file could not be written, e.g. a full disk).

#include "tools/exporter/ExportOptions.h"
#include "tools/exporter/ResultExporter.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// Qt's own warnings (of the SQL driver, say) stay out of the one line the station logs.
void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

int fail(int code, const QString &why)
{
    std::fprintf(stderr, "export failed: %s\n", why.toLocal8Bit().constData());
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(dropMessage);
    QCoreApplication application(argc, argv);

    ExportOptions options;
    QString error;
    if (!parseExportOptions(application.arguments().mid(1), &options, &error))
        return fail(ResultExporter::BadOptions, error);

    ResultExporter exporter(options);
    const ResultExporter::Result result = exporter.run(&error);
    if (result != ResultExporter::Done)
        return fail(result, error);
    std::fputs("export finished\r\n", stdout);
    std::fflush(stdout);
    return 0;
}
