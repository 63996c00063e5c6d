#include "skin/controls/se_list_box.h"

#include "skin/controls/se_edit.h"
#include "skin/controls/se_scroll_bar.h"

#include <QEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyledItemDelegate>

using namespace lanseek::skin;

class TSeSkinListBox::ItemPainter : public QStyledItemDelegate
{
public:
    explicit ItemPainter(TSeSkinListBox* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        TSeSkinObject* item = m_list->skinPart("Item");
        const QRect r = option.rect;
        if (!m_list->isSkinned() || !item || r.width() <= 0 || r.height() <= 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        int state = StateNormal;
        if (!(option.state & QStyle::State_Enabled))
            state = StateDisabled;
        else if (option.state & (QStyle::State_Selected | QStyle::State_MouseOver))
            state = StateHot;
        // Each item is drawn into a bitmap that starts as the list's window colour, so no key pixel
        // is left under its text.
        const QRgb base = m_list->palette().color(QPalette::Base).rgb();
        TSeBitmap bitmap(r.width(), r.height());
        bitmap.image().fill(base);
        TSeCanvas canvas(&bitmap);
        drawPart(canvas, item, QRect(0, 0, r.width(), r.height()), state);
        QRect content(item->TextMarginLeft > 0 ? 4 : 2, 0, r.width() - 4, r.height());
        const QVariant check = index.data(Qt::CheckStateRole);
        if (check.isValid()) {
            const char* name = check.toInt() == Qt::Checked            ? "Checked"
                               : check.toInt() == Qt::PartiallyChecked ? "Mixed"
                                                                       : "Unchecked";
            if (TSeSkinObject* box = m_list->skinPart(name)) {
                const int side = std::min(box->height(), r.height());
                drawPart(canvas, box, QRect(content.left(), (r.height() - side) / 2, box->width(), side),
                         state);
                content.setLeft(content.left() + box->width() + 4);
            }
        }
        const int w = bitmap.width();
        const int h = bitmap.height();
        for (int y = 0; y < h; ++y) {
            quint32* line = bitmap.scanLine(y);
            for (int x = 0; x < w; ++x)
                line[x] = TSeBitmap::isKey(line[x]) ? (base | 0xFF000000u) : (line[x] | 0xFF000000u);
        }
        QPainter p(&bitmap.image());
        if (const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>(); !icon.isNull()) {
            const QSize size = m_list->iconSize().isValid() ? m_list->iconSize() : QSize(16, 16);
            icon.paint(&p,
                       QRect(content.left(), (r.height() - size.height()) / 2, size.width(), size.height()));
            content.setLeft(content.left() + size.width() + 4);
        }
        item->setState(state);
        const QVariant fontData = index.data(Qt::FontRole);
        QFont font = fontOf(*item);
        if (fontData.isValid()) {
            // An item that names its own font family (the card's font chooser) keeps it.
            const QFont own = fontData.value<QFont>();
            font.setFamily(own.family());
        }
        p.setFont(font);
        p.setPen(fontColorOf(*item));
        p.drawText(content, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   index.data(Qt::DisplayRole).toString());
        p.end();
        painter->drawImage(r.topLeft(), bitmap.image());
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (m_list->isSkinned()) {
            if (TSeSkinObject* item = m_list->skinPart("Item"))
                size.setHeight(std::max(size.height(), item->height()));
        }
        return size;
    }

private:
    TSeSkinListBox* m_list;
};

TSeSkinListBox::TSeSkinListBox(QWidget* parent) : SkinnedWidget("ListBox", parent)
{
    m_items = new QStandardItemModel(this);
    setModel(m_items);
    setItemDelegate(new ItemPainter(this));
    // Items share one font and one skinned height, so the first one's size stands for all: a change of
    // font does not measure every item again. A list whose items carry fonts of their own turns this off.
    setUniformItemSizes(true);
    setVerticalScrollBar(new TSeSkinScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new TSeSkinScrollBar(Qt::Horizontal, this));
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
}

void TSeSkinListBox::setSkinEngine(TSeSkinEngine* engine)
{
    TSeSkinControl::setSkinEngine(engine);
    setScrollBarsEngine(*this, engine);
}

QStringList TSeSkinListBox::Items() const
{
    QStringList items;
    if (model() != m_items)
        return items;
    for (int i = 0; i < m_items->rowCount(); ++i)
        items << m_items->item(i)->text();
    return items;
}

void TSeSkinListBox::addItem(const QString& text)
{
    m_items->appendRow(new QStandardItem(text));
}

void TSeSkinListBox::clearItems()
{
    m_items->clear();
}

int TSeSkinListBox::ItemIndex() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void TSeSkinListBox::setItemIndex(int index)
{
    setCurrentIndex(model()->index(index, 0));
}

void TSeSkinListBox::skinChanged()
{
    if (isSkinned()) {
        m_lookApplied = true;
        showSkinnedFrame(*this, frameWidthOf(skinPart("Frame")));
    } else if (m_lookApplied) {
        m_lookApplied = false;
        showPlainFrame(*this);
    }
    doItemsLayout();
}

void TSeSkinListBox::drawSkin(TSeCanvas& canvas)
{
    drawPart(canvas, skinPartOrCopy("Frame"), rect(), enabledState());
}
