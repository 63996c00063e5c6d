#include "skin/objects/skin_values.h"

#include "platform/text/gbk.h"
#include "skin/skin_hue.h"

#include <QFontMetrics>

namespace lanseek::skin {

QString fromSkinText(const QByteArray& bytes)
{
    return platform::fromGbk(std::string_view(bytes.constData(), size_t(bytes.size())));
}

QByteArray toSkinText(const QString& text)
{
    const std::string bytes = platform::toGbk(text);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

const TSeBitmapLink& usableForState(int state, const TSeBitmapLink& normal, const TSeBitmapLink& hot,
                                    const TSeBitmapLink& pressed, const TSeBitmapLink& focused,
                                    const TSeBitmapLink& disabled)
{
    const TSeBitmapLink& link = forState(state, normal, hot, pressed, focused, disabled);
    return link.usable() ? link : normal;
}

void shiftColorInPlace(TColor& color, int delta)
{
    if (color != clNone)
        color = shiftColorHue(color, delta);
}

void shiftFontHue(TSeFont& font, int delta)
{
    shiftColorInPlace(font.Color, delta);
}

QString elideTitle(const QString& text, const QFont& font, int width)
{
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString dots = QStringLiteral("...");
    int keep = 0;
    while (keep < text.size() && metrics.horizontalAdvance(text.left(keep + 1) + dots) <= width)
        ++keep;
    return text.left(keep) + dots;
}

int textWidth(const QString& text, const TSeFont& font)
{
    return QFontMetrics(font.toQFont()).horizontalAdvance(text);
}

} // namespace lanseek::skin

QFont TSeFont::toQFont() const
{
    QFont font(lanseek::skin::fromSkinText(Name));
    // Negative heights are character heights in pixels; positive ones are cell heights, of which the
    // characters take about seven eighths.
    int pixels = Height < 0 ? -Height : Height * 7 / 8;
    font.setPixelSize(std::clamp(pixels == 0 ? 12 : pixels, 1, 400));
    font.setBold(Style & 1);
    font.setItalic(Style & 2);
    font.setUnderline(Style & 4);
    font.setStrikeOut(Style & 8);
    if (Pitch == 2)
        font.setFixedPitch(true);
    return font;
}
