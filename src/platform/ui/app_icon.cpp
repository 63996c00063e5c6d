#include "platform/ui/app_icon.h"

#include <QString>

namespace lanseek::platform {

QIcon applicationIcon()
{
    // Pictures rendered from icons/lanseek.svg at the sizes desktops ask for; Qt picks the nearest and
    // scales only between them.
    static const int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    QIcon icon;
    for (int size : sizes)
        icon.addFile(QStringLiteral(":/lanseek/icons/lanseek-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace lanseek::platform
