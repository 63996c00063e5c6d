// Connects the music card controls of the main window to their handlers.

#include "app/mp3.h"

#include "card/card_background.h"
#include "card/card_markup.h"
#include "platform/web/web_browser.h"

#include <QFontDatabase>
#include <QPainter>

namespace {

QIcon swatch(const QColor& colour)
{
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.fillRect(1, 1, 12, 12, colour);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, 13, 13);
    return QIcon(pixmap);
}

} // namespace

void TForm1::wireCard()
{
    using namespace lanseek::card;
    // Colours, each drawn with a swatch; the data is the digits written into the font tag.
    for (const NamedColour& colour : colourBoxEntries(paletteSystemColour)) {
        const QColor shown =
            colour.digits.size() == 6 ? QColor(QStringLiteral("#") + colour.digits) : QColor();
        colorcombox->addItem(shown.isValid() ? swatch(shown) : QIcon(), colour.name, colour.digits);
    }
    colorcombox->setCurrentIndex(0);
    // No family is chosen until the user picks one, so a colour alone leaves the card's font alone. Until
    // then the box names what it chooses. The families themselves come once the window is on screen.
    fontsizecombox->setPlaceholderText(fontsizecombox->toolTip());
    fontsizecombox->setCurrentIndex(-1);

    onClicks({{htmlrunbtn, &TForm1::htmlrunbtnClick},
              {h1btn, &TForm1::h1btnClick},
              {h2btn, &TForm1::h2btnClick},
              {h3btn, &TForm1::h3btnClick},
              {h4btn, &TForm1::h4btnClick},
              {bigbtn, &TForm1::bigbtnClick},
              {strongbtn, &TForm1::strongbtnClick},
              {ibtn, &TForm1::ibtnClick},
              {ubtn, &TForm1::ubtnClick},
              {centrebtn, &TForm1::centrebtnClick},
              {picbtn, &TForm1::picbtnClick},
              {backbtn, &TForm1::backbtnClick},
              {dragcardbtn, &TForm1::dragcardbtnClick},
              {cancelbtn, &TForm1::cancelbtnClick},
              {cardsurebtn, &TForm1::cardsurebtnClick},
              {previewbtn, &TForm1::previewbtnClick},
              {iesetbtn, &TForm1::iesetbtnClick}});
    // The preview's save as is ours: the card and its picture, saved where the user chooses.
    WebBrowser4->setSaveAsHandler(
        [this](const lanseek::platform::WebDocument& document) { saveCardAs(document); });
    // Only the user's choice in a box counts as a change, not the filling above.
    on(colorcombox, &QComboBox::activated, &TForm1::colorcomboxChange);
    on(fontsizecombox, &QComboBox::activated, &TForm1::fontsizecomboxChange);
}

void TForm1::fillFontBox()
{
    if (fontsizecombox->count() > 0)
        return;
    // Font families of the display, sorted, each drawn in its own font. Measuring every family in its own
    // font is what makes this slow, so the window appears first.
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    fontsizecombox->listBox()->setUniformItemSizes(false);
    for (const QString& family : families) {
        fontsizecombox->addItem(family);
        fontsizecombox->setItemData(fontsizecombox->count() - 1, QFont(family), Qt::FontRole);
    }
    fontsizecombox->setCurrentIndex(-1);
}
