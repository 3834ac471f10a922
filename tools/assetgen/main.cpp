// Draws every picture of the runtime folder and every embedded icon at build time, and writes
// the resource list that rcc compiles into the program.
//
//   assetgen <runtime folder> <resource folder>
#include "Pictograms.h"
#include "SkinPictures.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace {

bool savePicture(const QImage &image, const QString &path)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray format = QFileInfo(path).suffix().toLatin1();
    return image.save(&file, format.constData()) && file.commit();
}

bool writeResourceList(const QVector<EmbeddedPicture> &pictures, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
    for (const EmbeddedPicture &picture : pictures) {
        out << "  <file alias=\"" << picture.name << "\">icons/" << picture.name << "</file>\n";
        for (const QString &alias : picture.aliases)
            out << "  <file alias=\"" << alias << "\">icons/" << picture.name << "</file>\n";
    }
    out << "</qresource>\n</RCC>\n";
    out.flush();
    return out.status() == QTextStream::Ok && file.commit();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: assetgen <runtime folder> <resource folder>\n");
        return 2;
    }
    const QDir runtime(arguments.at(1));
    const QDir resources(arguments.at(2));

    const QVector<EmbeddedPicture> embedded = embeddedPictures();
    QVector<QImage> sliderParts;
    for (const EmbeddedPicture &picture : embedded) {
        if (!savePicture(picture.image, resources.filePath(QStringLiteral("icons/") + picture.name))) {
            std::fprintf(stderr, "assetgen: cannot write icon %s\n", qPrintable(picture.name));
            return 1;
        }
        if (picture.name.startsWith(QLatin1String("slider")))
            sliderParts.append(picture.image);
    }
    if (!writeResourceList(embedded, resources.filePath(QStringLiteral("mouldmonitor.qrc")))) {
        std::fprintf(stderr, "assetgen: cannot write the resource list\n");
        return 1;
    }
    for (const RuntimePicture &picture : runtimePictures(sliderParts)) {
        if (!savePicture(picture.image, runtime.filePath(picture.path))) {
            std::fprintf(stderr, "assetgen: cannot write %s\n", qPrintable(picture.path));
            return 1;
        }
    }
    return 0;
}
