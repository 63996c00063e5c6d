#include "skin/controls/se_popup_menu.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

using namespace lanseek::skin;

namespace {
constexpr int kPlainInset = 3;
}

TSeSkinItem::TSeSkinItem(const QString& caption, QObject* parent) : QAction(parent)
{
    setCaption(caption);
}

void TSeSkinItem::setCaption(const QString& caption)
{
    setText(caption);
    setSeparator(caption == QLatin1String("-"));
}

void TSeSkinItem::bindSkin(TSeSkinObject* item, TSeSkinObject* separator)
{
    m_item = item;
    m_separator = separator;
}

TSeSkinPopupMenu::TSeSkinPopupMenu(QWidget* parent) : SkinnedWidget("PopupMenu", parent) {}

TSeSkinPopupMenu::~TSeSkinPopupMenu()
{
    markDestroying();
    for (TSeSkinItem* item : Items())
        item->bindSkin(nullptr, nullptr);
}

TSeSkinItem* TSeSkinPopupMenu::addItem(const QString& caption)
{
    auto* item = new TSeSkinItem(caption, this);
    addAction(item);
    bindItems();
    return item;
}

QList<TSeSkinItem*> TSeSkinPopupMenu::Items() const
{
    QList<TSeSkinItem*> items;
    for (QAction* action : actions()) {
        if (auto* item = qobject_cast<TSeSkinItem*>(action))
            items << item;
    }
    return items;
}

void TSeSkinPopupMenu::setSkinEngine(TSeSkinEngine* engine)
{
    TSeSkinControl::setSkinEngine(engine);
    // Sub-menus follow their menu's engine.
    for (QAction* action : actions()) {
        if (auto* sub = qobject_cast<TSeSkinPopupMenu*>(action->menu()))
            sub->setSkinEngine(engine);
    }
}

void TSeSkinPopupMenu::bindItems()
{
    // The items draw with the objects of this menu's own copy, so they lose them whenever the copy
    // goes and find them again in the next one.
    TSeSkinObject* item = isSkinned() ? skinPart("Item") : nullptr;
    TSeSkinObject* separator = isSkinned() ? skinPart("Separator") : nullptr;
    for (TSeSkinItem* entry : Items())
        entry->bindSkin(item, separator);
}

int TSeSkinPopupMenu::itemState(const QAction* action) const
{
    if (!action->isEnabled())
        return StateDisabled;
    if (action == activeAction())
        return StateHot;
    return StateNormal;
}

bool TSeSkinPopupMenu::event(QEvent* event)
{
    if (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionChanged)
        bindItems();
    return SkinnedWidget::event(event);
}

void TSeSkinPopupMenu::skinChanged()
{
    bindItems();
    if (isSkinned()) {
        m_lookApplied = true;
        const TSeSkinObject* frame = skinPart("Frame");
        QMargins margins(kPlainInset, kPlainInset, kPlainInset, kPlainInset);
        if (frame)
            margins = QMargins(frame->MarginLeft, frame->MarginTop, frame->MarginRight, frame->MarginBottom);
        // The style adds its own panel width inside the contents margins.
        const int panel = style()->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
        setContentsMargins(std::max(0, margins.left() - panel), std::max(0, margins.top() - panel),
                           std::max(0, margins.right() - panel), std::max(0, margins.bottom() - panel));
        if (const TSeSkinObject* item = skinPart("Item"))
            setFont(item->Font.toQFont());
    } else if (m_lookApplied) {
        m_lookApplied = false;
        setContentsMargins(0, 0, 0, 0);
        setFont(QFont());
    }
}

void TSeSkinPopupMenu::drawSkin(TSeCanvas& canvas)
{
    drawPart(canvas, skinPartOrCopy("Frame"), rect(), StateNormal);
    for (QAction* action : actions()) {
        if (!action->isVisible())
            continue;
        const QRect r = actionGeometry(action);
        auto* item = qobject_cast<TSeSkinItem*>(action);
        TSeSkinObject* separator = item ? item->separatorObject() : skinPart("Separator");
        TSeSkinObject* face = item ? item->itemObject() : skinPart("Item");
        if (action->isSeparator()) {
            if (separator) {
                separator->setText(QStringLiteral("-"));
                drawPart(canvas, separator, r, StateNormal);
            }
            continue;
        }
        if (!face)
            continue;
        face->setText(action->text().remove(QLatin1Char('&')));
        face->setText2(action->shortcut().toString(QKeySequence::NativeText));
        face->setEnabled(action->isEnabled());
        drawPart(canvas, face, r, itemState(action));
    }
}

void TSeSkinPopupMenu::drawSkinText(QPainter& painter)
{
    // Sub-menu arrows, ticks and the items of a skin without an "Item" object are drawn here.
    painter.setRenderHint(QPainter::Antialiasing);
    for (QAction* action : actions()) {
        if (!action->isVisible() || action->isSeparator())
            continue;
        const QRect r = actionGeometry(action);
        auto* item = qobject_cast<TSeSkinItem*>(action);
        TSeSkinObject* face = item ? item->itemObject() : skinPart("Item");
        QColor color = palette().color(QPalette::WindowText);
        if (face) {
            face->setState(itemState(action));
            color = fontColorOf(*face);
        } else {
            painter.setPen(color);
            painter.drawText(r.adjusted(24, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                             action->text().remove(QLatin1Char('&')));
        }
        if (action->isChecked() && action->icon().isNull()) {
            // The chosen one of a group of items: a tick in the item's left margin.
            const QPointF c(r.left() + 10, r.center().y());
            QPainterPath tick;
            tick.moveTo(c + QPointF(-4, 0));
            tick.lineTo(c + QPointF(-1, 3));
            tick.lineTo(c + QPointF(4, -3));
            painter.strokePath(tick, QPen(color, 1.6));
        }
        if (!action->icon().isNull()) {
            // The item's picture sits in the room the face leaves left of its text.
            const int size = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
            const int room = face && face->TextMarginLeft > size ? face->TextMarginLeft : size + 8;
            const QRect at(r.left() + (room - size) / 2, r.top() + (r.height() - size) / 2, size, size);
            const QIcon::Mode mode = !action->isEnabled()            ? QIcon::Disabled
                                     : itemState(action) == StateHot ? QIcon::Active
                                                                     : QIcon::Normal;
            action->icon().paint(&painter, at, Qt::AlignCenter, mode);
        }
        if (action->menu()) {
            const QPointF c(r.right() - 8, r.center().y());
            QPainterPath arrow;
            arrow.moveTo(c + QPointF(2, 0));
            arrow.lineTo(c + QPointF(-2, -4));
            arrow.lineTo(c + QPointF(-2, 4));
            arrow.closeSubpath();
            painter.fillPath(arrow, color);
        }
    }
}
