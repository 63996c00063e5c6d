#include "platform/ui/media_icons.h"

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace lanseek::platform {

namespace {

struct TypeLook
{
    const char* mime;
    const char* label;
    QRgb colour;
};

constexpr std::array<TypeLook, kMediaTypeCount> kLooks{{
    {"audio/mpeg", "M", 0xff2f80ed},
    {"application/vnd.rn-realmedia", "R", 0xffd64545},
    {"audio/x-ms-wma", "W", 0xff2e9e5b},
    {"video/x-ms-asf", "A", 0xffe08a1e},
    {"audio/x-pn-realaudio", "r", 0xff8e44ad},
}};

} // namespace

QString mediaTypeMime(int index)
{
    if (index < 0 || index >= kMediaTypeCount)
        return {};
    return QString::fromLatin1(kLooks[index].mime);
}

QPixmap fallbackMediaIcon(int index, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (index < 0 || index >= kMediaTypeCount)
        return QPixmap::fromImage(image);
    const TypeLook& look = kLooks[index];
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    const qreal s = size;
    page.addRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s / 5, s / 5);
    p.fillPath(page, QColor::fromRgba(look.colour));
    p.setPen(QColor(255, 255, 255, 90));
    p.drawPath(page);
    QFont font;
    font.setBold(true);
    font.setPixelSize(qMax(6, size * 3 / 4));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, QString::fromLatin1(look.label));
    return QPixmap::fromImage(image);
}

QList<QPixmap> mediaTypeIcons(int size)
{
    QMimeDatabase mimes;
    QList<QPixmap> icons;
    QList<QImage> taken;
    for (int i = 0; i < kMediaTypeCount; ++i) {
        QPixmap chosen;
        const QMimeType type = mimes.mimeTypeForName(mediaTypeMime(i));
        if (type.isValid()) {
            QIcon themed = QIcon::fromTheme(type.iconName());
            if (themed.isNull())
                themed = QIcon::fromTheme(type.genericIconName());
            if (!themed.isNull())
                chosen = themed.pixmap(size, size);
        }
        // Themes often give every audio type the same generic icon; the list needs five that differ.
        if (!chosen.isNull()) {
            const QImage image = chosen.toImage().convertToFormat(QImage::Format_ARGB32);
            if (image.size() != QSize(size, size) || taken.contains(image))
                chosen = QPixmap();
        }
        if (chosen.isNull())
            chosen = fallbackMediaIcon(i, size);
        taken << chosen.toImage().convertToFormat(QImage::Format_ARGB32);
        icons << chosen;
    }
    return icons;
}

} // namespace lanseek::platform
