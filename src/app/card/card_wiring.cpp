// Connects the music card's controls to their handlers.

#include "app/card/card_controller.h"

#include "card/card_background.h"
#include "card/card_markup.h"
#include "platform/web/web_browser.h"
#include "playback/player/player_object.h"
#include "skin/controls/se_controls.h"

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

namespace lanseek::app {

void CardController::attachView(const CardView& view)
{
    m_view = view;
    wire();
}

void CardController::wire()
{
    using namespace lanseek::card;
    const CardView& v = m_view;
    // Colours, each drawn with a swatch; the data is the digits written into the font tag.
    for (const NamedColour& colour : colourBoxEntries(paletteSystemColour)) {
        const QColor shown =
            colour.digits.size() == 6 ? QColor(QStringLiteral("#") + colour.digits) : QColor();
        v.colorcombox->addItem(shown.isValid() ? swatch(shown) : QIcon(), colour.name, colour.digits);
    }
    v.colorcombox->setCurrentIndex(0);
    // No family is chosen until the user picks one, so a colour alone leaves the card's font alone. Until
    // then the box names what it chooses. The families themselves come once the window is on screen.
    v.fontsizecombox->setPlaceholderText(v.fontsizecombox->toolTip());
    v.fontsizecombox->setCurrentIndex(-1);

    struct Click
    {
        QAbstractButton* button;
        void (CardController::*handler)();
    };
    const Click clicks[] = {{v.htmlrunbtn, &CardController::htmlrunbtnClick},
                            {v.h1btn, &CardController::h1btnClick},
                            {v.h2btn, &CardController::h2btnClick},
                            {v.h3btn, &CardController::h3btnClick},
                            {v.h4btn, &CardController::h4btnClick},
                            {v.bigbtn, &CardController::bigbtnClick},
                            {v.strongbtn, &CardController::strongbtnClick},
                            {v.ibtn, &CardController::ibtnClick},
                            {v.ubtn, &CardController::ubtnClick},
                            {v.centrebtn, &CardController::centrebtnClick},
                            {v.picbtn, &CardController::picbtnClick},
                            {v.backbtn, &CardController::backbtnClick},
                            {v.dragcardbtn, &CardController::dragcardbtnClick},
                            {v.cancelbtn, &CardController::cancelbtnClick},
                            {v.cardsurebtn, &CardController::cardsurebtnClick},
                            {v.previewbtn, &CardController::previewbtnClick},
                            {v.iesetbtn, &CardController::iesetbtnClick}};
    for (const Click& click : clicks)
        connectGuarded(click.button, &QAbstractButton::clicked, this, m_errors, click.handler);
    // The preview's save as is ours: the card and its picture, saved where the user chooses.
    v.WebBrowser4->setSaveAsHandler([this](const platform::WebDocument& document) { saveCardAs(document); });
    // Only the user's choice in a box counts as a change, not the filling above.
    connectGuarded(v.colorcombox, &QComboBox::activated, this, m_errors, &CardController::colorcomboxChange);
    connectGuarded(v.fontsizecombox, &QComboBox::activated, this, m_errors,
                   &CardController::fontsizecomboxChange);
    // The preview hosts our player wherever the card asks for one of the two player objects.
    v.WebBrowser4->setObjectFactory(playback::createPlayerObject);
}

void CardController::fillFontBox()
{
    if (!hasView() || m_view.fontsizecombox->count() > 0)
        return;
    // Font families of the display, sorted, each drawn in its own font. Measuring every family in its own
    // font is what makes this slow, so the window appears first.
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    m_view.fontsizecombox->listBox()->setUniformItemSizes(false);
    for (const QString& family : families) {
        m_view.fontsizecombox->addItem(family);
        m_view.fontsizecombox->setItemData(m_view.fontsizecombox->count() - 1, QFont(family), Qt::FontRole);
    }
    m_view.fontsizecombox->setCurrentIndex(-1);
}

} // namespace lanseek::app
