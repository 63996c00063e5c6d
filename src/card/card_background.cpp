#include "card/card_background.h"

#include <QDir>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace lanseek::card {

QImage defaultBackground(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0.0, QColor(255, 244, 228));
    sky.setColorAt(0.55, QColor(250, 222, 226));
    sky.setColorAt(1.0, QColor(214, 226, 250));
    p.fillRect(image.rect(), sky);

    // Soft circles of light.
    const struct
    {
        double x, y, r;
        QColor c;
    } glows[] = {{0.18, 0.22, 0.30, QColor(255, 255, 255, 150)},
                 {0.82, 0.30, 0.22, QColor(255, 230, 240, 140)},
                 {0.62, 0.82, 0.35, QColor(230, 240, 255, 150)}};
    for (const auto& g : glows) {
        QRadialGradient glow(g.x * width, g.y * height, g.r * width);
        glow.setColorAt(0, g.c);
        glow.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(image.rect(), glow);
    }

    // A line of notes drifting across the picture.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 9; ++i) {
        const double t = i / 8.0;
        const double x = width * (0.08 + 0.84 * t);
        const double y = height * (0.62 - 0.18 * std::sin(t * 3.1416 * 1.5));
        const double s = 9 + 5 * std::cos(t * 5.0);
        p.setBrush(QColor(186, 104, 140, 120));
        p.drawEllipse(QPointF(x, y), s * 1.2, s * 0.85);
        p.fillRect(QRectF(x + s * 1.05, y - s * 3.6, s * 0.28, s * 3.6), QColor(186, 104, 140, 120));
    }
    // A staff of five thin lines.
    p.setPen(QPen(QColor(160, 120, 150, 70), 1.2));
    for (int k = 0; k < 5; ++k) {
        QPainterPath staff;
        const double base = height * 0.56 + k * 9;
        staff.moveTo(0, base);
        for (int x = 0; x <= width; x += 16)
            staff.lineTo(x, base - height * 0.18 * std::sin(x / double(width) * 3.1416 * 1.5));
        p.drawPath(staff);
    }
    return image;
}

bool ensureDefaultBackground(const QString& path)
{
    if (QFileInfo::exists(path))
        return true;
    QDir().mkpath(QFileInfo(path).absolutePath());
    return defaultBackground().save(path, "JPG", 88);
}

} // namespace lanseek::card
