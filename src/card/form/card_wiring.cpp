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
    // Font families of the display, sorted, each drawn in its own font.
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    for (const QString& family : families) {
        fontsizecombox->addItem(family);
        fontsizecombox->setItemData(fontsizecombox->count() - 1, QFont(family), Qt::FontRole);
    }
    // No family is chosen until the user picks one, so a colour alone leaves the card's font alone. Until
    // then the box names what it chooses.
    fontsizecombox->setPlaceholderText(fontsizecombox->toolTip());
    fontsizecombox->setCurrentIndex(-1);

    auto on = [this](QAbstractButton* b, void (TForm1::*handler)()) {
        connect(b, &QAbstractButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    on(htmlrunbtn, &TForm1::htmlrunbtnClick);
    on(h1btn, &TForm1::h1btnClick);
    on(h2btn, &TForm1::h2btnClick);
    on(h3btn, &TForm1::h3btnClick);
    on(h4btn, &TForm1::h4btnClick);
    on(bigbtn, &TForm1::bigbtnClick);
    on(strongbtn, &TForm1::strongbtnClick);
    on(ibtn, &TForm1::ibtnClick);
    on(ubtn, &TForm1::ubtnClick);
    on(centrebtn, &TForm1::centrebtnClick);
    on(picbtn, &TForm1::picbtnClick);
    on(backbtn, &TForm1::backbtnClick);
    on(dragcardbtn, &TForm1::dragcardbtnClick);
    on(cancelbtn, &TForm1::cancelbtnClick);
    on(cardsurebtn, &TForm1::cardsurebtnClick);
    on(previewbtn, &TForm1::previewbtnClick);
    on(iesetbtn, &TForm1::iesetbtnClick);
    // The preview's save as is ours: the card and its picture, saved where the user chooses.
    WebBrowser4->setSaveAsHandler(
        [this](const lanseek::platform::WebDocument& document) { saveCardAs(document); });
    // Only the user's choice in a box counts as a change, not the filling above.
    connect(colorcombox, &QComboBox::activated, this, [this] { guarded([this] { colorcomboxChange(); }); });
    connect(fontsizecombox, &QComboBox::activated, this,
            [this] { guarded([this] { fontsizecomboxChange(); }); });
}
