#ifndef STATION_TEMPLATEFILES_H
#define STATION_TEMPLATEFILES_H

#include <QRgb>
#include <QString>
#include <QVector>

// The bitmap files of the templates and ignore masks, one folder per camera and detect stage:
// "./cammer%1%2/template%3.bmp" and "./cammer%1%2/ignorepoint.bmp" with the camera and stage
// numbered from 1 and the template slot from 0. Grey frames and masks are 8-bit indexed
// bitmaps with the grey colour table; colour frames are stored from their 4-byte pixels
// (B, G, R, 0).
//
// In memory every picture is tightly packed: width bytes a row for grey frames and masks,
// width x 4 for colour frames. Bitmap rows are padded to 4 bytes, so every transfer goes row
// by row; widths that are not a multiple of 4 load and save exactly.

// Camera and stage 0-based.
QString stageFolder(int camera, int stage);
QString templateFilePath(int camera, int stage, int slot);
QString ignoreMaskFilePath(int camera, int stage);

// 256 opaque greys, entry i with red = green = blue = i.
const QVector<QRgb> &greyColourTable();

// Reads a template of width x height into destination (width x height bytes, or x 4 for a
// colour view). False, destination untouched, when the file is missing, unreadable, of
// another size or of the other depth (8-bit files for grey views, 32-bit for colour views);
// for a file that exists but cannot be used, *problem (when given) says why.
bool loadTemplateImage(const QString &path, int width, int height, bool colour, uchar *destination,
                       QString *problem = nullptr);
// Saves write the whole bitmap or leave the previous file as it was (full disk); a failure is
// logged.
bool saveTemplateImage(const QString &path, int width, int height, bool colour, const uchar *source);

// An ignore mask: width x height bytes, non-zero = pixel ignored. The file must be an 8-bit
// bitmap of that size.
bool loadIgnoreMask(const QString &path, int width, int height, uchar *destination,
                    QString *problem = nullptr);
bool saveIgnoreMask(const QString &path, int width, int height, const uchar *source);

// The picture a stage without any template starts from: white over the middle half, black
// around it.
void fillDefaultTemplate(uchar *destination, int width, int height, bool colour);

#endif
