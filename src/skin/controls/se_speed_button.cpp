#include "skin/controls/se_speed_button.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

using namespace lanseek::skin;

namespace {
constexpr int kChevronWidth = 12;
}

TSeSkinSpeedButton::TSeSkinSpeedButton(const QString& caption, QWidget* parent)
    : SkinnedWidget("SpeedButton", parent)
{
    setText(caption);
    setAutoRaise(true);
    setAttribute(Qt::WA_Hover);
    repaintOn({QEvent::HoverEnter, QEvent::HoverLeave, QEvent::EnabledChange});
    // Speed buttons never take the focus, so an editor keeps it while a tool button is clicked.
    setFocusPolicy(Qt::NoFocus);
}

int TSeSkinSpeedButton::skinState() const
{
    if (!isEnabled())
        return StateDisabled;
    if (isDown())
        return StatePressed;
    const bool checkedDown = isCheckable() && isChecked();
    if (!Flat())
        return checkedDown ? StateFocused : StateNormal;
    if (underMouse())
        return StateHot;
    if (checkedDown)
        return StateFocused;
    return StateNormal;
}

TSeSkinObject* TSeSkinSpeedButton::faceObject() const
{
    TSeSkinObject* face = (Flat() && !m_inSpin) ? skinPart("FlatFace") : skinPart("Face");
    return face ? face : skinCopy();
}

void TSeSkinSpeedButton::skinCopyTaken(TSeSkinObject* copy)
{
    (void)copy;
    setTransparent(isMaskedFace(faceObject()));
}

QRect TSeSkinSpeedButton::chevronRect() const
{
    return QRect(width() - kChevronWidth, 0, kChevronWidth, height());
}

void TSeSkinSpeedButton::drawSkin(TSeCanvas& canvas)
{
    const int state = skinState();
    drawPart(canvas, faceObject(), rect(), state);
    if (m_showChevron) {
        TSeSkinObject* chevron = Flat() ? skinPart({"FlatChevron", "Chevron"}) : skinPart("Chevron");
        drawPart(canvas, chevron, chevronRect(), state);
    }
}

std::optional<std::size_t> TSeSkinSpeedButton::faceKey() const
{
    return qHashMulti(0, skinState(), Flat(), m_inSpin, m_showChevron);
}

void TSeSkinSpeedButton::drawSkinText(QPainter& painter)
{
    const int state = skinState();
    QRect content = rect();
    if (m_showChevron)
        content.setRight(chevronRect().left() - 1);
    // Glyph and caption sink by one pixel while the button is pressed or down.
    if (isDown() || (isCheckable() && isChecked()))
        content.translate(1, 1);
    TSeSkinObject* holder = skinPart("Text");
    const QColor color =
        holder ? (holder->setState(state), fontColorOf(*holder)) : palette().color(QPalette::ButtonText);
    if (arrowType() != Qt::NoArrow) {
        const QPointF c = QRectF(content).center();
        const qreal s = std::min(content.width(), content.height()) / 4.0;
        QPainterPath path;
        if (arrowType() == Qt::UpArrow) {
            path.moveTo(c + QPointF(0, -s * 0.6));
            path.lineTo(c + QPointF(-s, s * 0.5));
            path.lineTo(c + QPointF(s, s * 0.5));
        } else {
            path.moveTo(c + QPointF(0, s * 0.6));
            path.lineTo(c + QPointF(-s, -s * 0.5));
            path.lineTo(c + QPointF(s, -s * 0.5));
        }
        path.closeSubpath();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(path, color);
        return;
    }
    if (!icon().isNull()) {
        const QSize glyph = iconSize().boundedTo(content.size());
        const QRect at(content.left() + (content.width() - glyph.width()) / 2,
                       content.top() + (content.height() - glyph.height()) / 2, glyph.width(),
                       glyph.height());
        icon().paint(&painter, at, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        return;
    }
    if (text().isEmpty())
        return;
    painter.setFont(holder ? fontOf(*holder) : font());
    painter.setPen(color);
    painter.drawText(content, Qt::AlignCenter | Qt::TextSingleLine, text());
}

// ---- spin button ----

TSeSkinSpinButton::TSeSkinSpinButton(QWidget* parent) : SkinnedWidget("SpinButton", parent)
{
    m_up = new TSeSkinSpeedButton(QString(), this);
    m_down = new TSeSkinSpeedButton(QString(), this);
    for (TSeSkinSpeedButton* b : {m_up, m_down}) {
        b->setFlat(false);
        b->setInSpinButton(true);
        b->setSkinObject(QStringLiteral("SpinButton"));
        b->setAutoRepeat(true);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setAccessibleName(QStringLiteral("增加"));
    m_down->setAccessibleName(QStringLiteral("减少"));
    connect(m_up, &QToolButton::clicked, this, &TSeSkinSpinButton::upClick);
    connect(m_down, &QToolButton::clicked, this, &TSeSkinSpinButton::downClick);
    resize(16, 22);
}

void TSeSkinSpinButton::setSkinEngine(TSeSkinEngine* engine)
{
    TSeSkinControl::setSkinEngine(engine);
    m_up->setSkinEngine(engine);
    m_down->setSkinEngine(engine);
}

void TSeSkinSpinButton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
