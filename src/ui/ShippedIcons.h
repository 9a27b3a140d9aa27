#pragma once

#include <QByteArrayView>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace morvik {

// The icons the program ships as resources. None of them asks the desktop's icon theme: a theme
// that lacks an icon is searched folder by folder (thousands of file look-ups at every start on
// a machine without an up-to-date theme cache, and on every Windows PC).

// A PNG (a resource of the program's or of Qt's), read by Qt's own PNG reader. A reader left to
// guess the format (as QIcon(fileName) and QPixmap(fileName) leave it) first loads every image
// format plugin, and with them the SVG and JPEG libraries, to ask each one. Null when unreadable.
QPixmap PngWithoutGuessing(const QString& name);

// A binary PPM (P6: width, height and a maximum of 255, then the RGB rows) as an image over the
// same bytes, which must outlive it; nothing is decoded or copied. Null for anything else.
QImage PpmOverBytes(QByteArrayView ppm);

// A picture the program ships as an uncompressed PPM resource, over the program's own bytes.
// Null when it is missing, compressed or no such PPM.
QImage ShippedPicture(const QString& name);

// The program's icon for its windows.
QIcon ProgramIcon();

// The clear button of a text field.
QIcon ClearTextIcon();

}  // namespace morvik
