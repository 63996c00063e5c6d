#include "platform/ui/app_icon.h"

#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QString>

namespace lanseek::platform {

QIcon applicationIcon(int largest)
{
    // Pictures rendered from icons/lanseek.svg at the sizes desktops ask for; Qt picks the nearest and
    // scales only between them. They are read as the PNG files they are: left to guess the format, the
    // reader would first load every image plugin to ask each one.
    static const int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    QIcon icon;
    for (int size : sizes) {
        if (size > largest)
            break;
        QImageReader reader(QStringLiteral(":/lanseek/icons/lanseek-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace lanseek::platform
