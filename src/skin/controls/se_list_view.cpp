#include "skin/controls/se_list_view.h"

#include "skin/controls/column_fit.h"
#include "skin/controls/se_edit.h"
#include "skin/controls/se_scroll_bar.h"
#include "skin/skin_engine.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <set>
#include <utility>

using namespace lanseek::skin;

namespace {
constexpr int kImageRole = Qt::UserRole + 1;
}

void TImageList::makePending() const
{
    // In the order they were added; a picture added after them stays behind them.
    std::vector<std::function<QList<QPixmap>()>> later;
    later.swap(m_later);
    for (const auto& make : later)
        m_images += make();
}

QPixmap TImageList::image(int index) const
{
    if (index < 0)
        return {};
    makePending();
    if (index >= m_images.size())
        return {};
    return m_images[index];
}

QIcon TImageList::icon(int index) const
{
    const QPixmap pixmap = image(index);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

// Header sections drawn from the list's engine's "Header" object: "Section" in the section's state
// and the title in the "Text" font.
class TSeSkinSListView::SkinHeader : public SkinnedWidget<QHeaderView, SkinnedPaint::Own>
{
public:
    explicit SkinHeader(QWidget* parent) : SkinnedWidget("Header", Qt::Horizontal, parent)
    {
        setAttribute(Qt::WA_Hover);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        TSeSkinObject* section = skinPart("Section");
        if (!isSkinned() || !section || rect.width() <= 0 || rect.height() <= 0) {
            QHeaderView::paintSection(painter, rect, logicalIndex);
            return;
        }
        // Sections are painted one by one into a bitmap of their own that starts as the list's
        // window colour, so the skin's key never reaches the screen.
        TSeBitmap bitmap(rect.width(), rect.height(), palette().color(QPalette::Base).rgb());
        TSeCanvas canvas(&bitmap);
        // Asking where the pointer is costs a round trip to the display server, so only a header
        // under the mouse asks.
        const int state = !isEnabled()                                                                 ? 8
                          : (underMouse() && rect.contains(viewport()->mapFromGlobal(QCursor::pos()))) ? 5
                                                                                                       : 0;
        drawPart(canvas, section, QRect(0, 0, rect.width(), rect.height()), state);
        const int w = bitmap.width();
        const int h = bitmap.height();
        for (int y = 0; y < h; ++y) {
            quint32* line = bitmap.scanLine(y);
            for (int x = 0; x < w; ++x)
                line[x] = TSeBitmap::isKey(line[x]) ? 0xFFFFFFFFu : (line[x] | 0xFF000000u);
        }
        QPainter p(&bitmap.image());
        QRect content(0, 0, rect.width(), rect.height());
        const QVariant decoration = model()->headerData(logicalIndex, orientation(), Qt::DecorationRole);
        if (const QIcon icon = decoration.value<QIcon>(); !icon.isNull()) {
            icon.paint(&p, QRect(4, (rect.height() - 16) / 2, 16, 16));
            content.setLeft(22);
        }
        if (TSeSkinObject* text = skinPart("Text")) {
            text->setState(state);
            p.setFont(fontOf(*text));
            p.setPen(fontColorOf(*text));
            content.setLeft(std::max(content.left(), text->TextMarginLeft));
        }
        p.drawText(content.adjusted(0, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString());
        p.end();
        // Every pixel is opaque, so the same bytes are a premultiplied picture, which the painter
        // copies without converting it.
        QImage shown = std::exchange(bitmap.image(), QImage());
        shown.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
        painter->drawImage(rect.topLeft(), shown);
    }
    void drawSkin(TSeCanvas& canvas) override { (void)canvas; }
    bool paintsWholeControl() const override { return false; }
};

TSeSkinSListView::TSeSkinSListView(QWidget* parent) : SkinnedWidget("ListBox", parent)
{
    repaintOn({QEvent::EnabledChange});
    m_header = new SkinHeader(this);
    setHeader(m_header);
    setVerticalScrollBar(new TSeSkinScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new TSeSkinScrollBar(Qt::Horizontal, this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TSeSkinSListView::onSelectionChanged);
}

void TSeSkinSListView::setSkinEngine(TSeSkinEngine* engine)
{
    TSeSkinControl::setSkinEngine(engine);
    m_header->setSkinEngine(engine);
    setScrollBarsEngine(*this, engine);
}

void TSeSkinSListView::skinChanged()
{
    if (isSkinned()) {
        m_lookApplied = true;
        showSkinnedFrame(*this, frameWidthOf(skinPart("Frame")));
        // Selected rows take the colours of the list's item object in its hot state.
        if (TSeSkinObject* item = skinPart("Item")) {
            TSeBitmap sample(24, 20);
            sample.fill(palette().color(QPalette::Base).rgb());
            TSeCanvas canvas(&sample);
            drawPart(canvas, item, sample.rect(), StateHot);
            QPalette pal = palette();
            const quint32 middle = sample.pixel(12, 10);
            if (!TSeBitmap::isKey(middle))
                pal.setColor(QPalette::Highlight, QColor::fromRgb(middle | 0xFF000000u));
            pal.setColor(QPalette::HighlightedText, fontColorOf(*item));
            setPalette(pal);
        }
    } else if (m_lookApplied) {
        m_lookApplied = false;
        showPlainFrame(*this);
        setPalette(QPalette());
    }
}

void TSeSkinSListView::drawSkin(TSeCanvas& canvas)
{
    drawPart(canvas, skinPartOrCopy("Frame"), rect(), enabledState());
}

std::optional<std::size_t> TSeSkinSListView::faceKey() const
{
    return std::size_t(enabledState());
}

void TSeSkinSListView::setColumns(const QStringList& headers, const QList<int>& widths)
{
    setColumnCount(static_cast<int>(headers.size()));
    setHeaderLabels(headers);
    m_designWidths = widths.mid(0, headers.size());
    fitColumns();
}

void TSeSkinSListView::scaleColumns(int num, int den)
{
    if (den <= 0)
        return;
    for (int& width : m_designWidths)
        width = width * num / den;
    fitColumns();
}

void TSeSkinSListView::setWholeTexts(int column, const QStringList& texts)
{
    m_wholeTexts[column] = texts;
    fitColumns();
}

void TSeSkinSListView::fitColumns()
{
    const QHeaderView* head = header();
    const QFontMetrics headerFont(head->font());
    const QFontMetrics cellFont(font());
    const int headerMargin = 2 * head->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, head);
    const int cellMargin = cellTextMargin();
    const QTreeWidgetItem* titles = headerItem();
    std::vector<int> widths, needs;
    for (int c = 0; c < columnCount(); ++c) {
        widths.push_back(c < m_designWidths.size() ? m_designWidths[c] : columnWidth(c));
        int need = 0;
        if (titles && !titles->text(c).isEmpty()) {
            const int icon = titles->icon(c).isNull() ? 0 : iconSize().width() + headerMargin;
            need = headerFont.horizontalAdvance(titles->text(c)) + headerMargin + icon;
        }
        for (const QString& text : m_wholeTexts.value(c))
            need = std::max(need, cellFont.horizontalAdvance(text) + cellMargin);
        needs.push_back(need);
    }
    const std::vector<int> fitted = lanseek::skin::fitColumnWidths(widths, needs, viewport()->width());
    for (int c = 0; c < int(fitted.size()); ++c) {
        if (columnWidth(c) != fitted[c])
            setColumnWidth(c, fitted[c]);
    }
}

int TSeSkinSListView::cellTextMargin() const
{
    // The item view leaves the focus frame's margin and one pixel on either side of a cell's text.
    return 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
}

int TSeSkinSListView::cellTextRoom(const QTreeWidgetItem* item, int column) const
{
    const int icon = item->icon(column).isNull() ? 0 : iconSize().width() + 4;
    return columnWidth(column) - cellTextMargin() - icon;
}

QString TSeSkinSListView::cutCellText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item || column < 0 || column >= columnCount())
        return {};
    const QString text = item->text(column);
    return QFontMetrics(font()).horizontalAdvance(text) > cellTextRoom(item, column) ? text : QString();
}

bool TSeSkinSListView::event(QEvent* event)
{
    // The columns' least widths are measured in the list's fonts.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::Resize)
        fitColumns();
    return SkinnedWidget::event(event);
}

bool TSeSkinSListView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        const QString whole = index.isValid() && !index.parent().isValid()
                                  ? cutCellText(index.row(), index.column())
                                  : QString();
        if (!whole.isEmpty()) {
            QToolTip::showText(help->globalPos(), whole, viewport(), visualRect(index));
            return true;
        }
        // A cell shown whole has no tooltip of its own; the list's hint is shown instead.
    }
    return SkinnedWidget::viewportEvent(event);
}

void TSeSkinSListView::setImages(const TImageList* images)
{
    m_images = images;
    for (int i = 0; i < Count(); ++i)
        applyImage(topLevelItem(i), topLevelItem(i)->data(0, kImageRole).toInt());
    setHeaderImage(m_headerImage);
}

void TSeSkinSListView::setMultiSelect(bool multi)
{
    setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

void TSeSkinSListView::setHeaderImage(int imageIndex)
{
    m_headerImage = imageIndex;
    if (QTreeWidgetItem* head = headerItem())
        head->setIcon(0, m_images ? m_images->icon(imageIndex) : QIcon());
}

void TSeSkinSListView::applyImage(QTreeWidgetItem* item, int imageIndex) const
{
    item->setData(0, kImageRole, imageIndex);
    item->setIcon(0, m_images ? m_images->icon(imageIndex) : QIcon());
}

lanseek::platform::ListRow TSeSkinSListView::row(int index) const
{
    lanseek::platform::ListRow result;
    const QTreeWidgetItem* item = topLevelItem(index);
    if (!item)
        return result;
    result.caption = item->text(0);
    const QVariant image = item->data(0, kImageRole);
    result.imageIndex = image.isValid() ? image.toInt() : -1;
    for (int c = 1; c < item->columnCount(); ++c)
        result.subItems << item->text(c);
    return result;
}

void TSeSkinSListView::setRow(int index, const lanseek::platform::ListRow& value)
{
    QTreeWidgetItem* item = topLevelItem(index);
    if (!item)
        return;
    // A row keeps exactly the sub-items it is given, so the item is rebuilt rather than edited.
    auto* fresh = new QTreeWidgetItem;
    fresh->setText(0, value.caption);
    applyImage(fresh, value.imageIndex);
    for (int c = 0; c < value.subItems.size(); ++c)
        fresh->setText(c + 1, value.subItems[c]);
    const bool selected = item->isSelected();
    delete takeTopLevelItem(index);
    insertTopLevelItem(index, fresh);
    fresh->setSelected(selected);
}

int TSeSkinSListView::appendRow(const lanseek::platform::ListRow& value)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, value.caption);
    applyImage(item, value.imageIndex);
    for (int c = 0; c < value.subItems.size(); ++c)
        item->setText(c + 1, value.subItems[c]);
    addTopLevelItem(item);
    return Count() - 1;
}

void TSeSkinSListView::deleteRow(int index)
{
    delete takeTopLevelItem(index);
}

int TSeSkinSListView::subItemCount(int index) const
{
    const QTreeWidgetItem* item = topLevelItem(index);
    return item ? std::max(0, item->columnCount() - 1) : 0;
}

QString TSeSkinSListView::subItem(int index, int sub) const
{
    const QTreeWidgetItem* item = topLevelItem(index);
    if (!item || sub < 0 || sub + 1 >= item->columnCount())
        return {};
    return item->text(sub + 1);
}

void TSeSkinSListView::setSubItem(int index, int sub, const QString& text)
{
    if (QTreeWidgetItem* item = topLevelItem(index); item && sub >= 0)
        item->setText(sub + 1, text);
}

QString TSeSkinSListView::caption(int index) const
{
    const QTreeWidgetItem* item = topLevelItem(index);
    return item ? item->text(0) : QString();
}

bool TSeSkinSListView::isRowSelected(int index) const
{
    const QTreeWidgetItem* item = topLevelItem(index);
    return item && item->isSelected();
}

void TSeSkinSListView::setRowSelected(int index, bool selected)
{
    if (QTreeWidgetItem* item = topLevelItem(index))
        item->setSelected(selected);
}

std::vector<int> TSeSkinSListView::selectedRowIndexes() const
{
    std::vector<int> rows;
    for (int i = 0; i < Count(); ++i)
        if (topLevelItem(i)->isSelected())
            rows.push_back(i);
    return rows;
}

int TSeSkinSListView::firstSelectedRow() const
{
    for (int i = 0; i < Count(); ++i)
        if (topLevelItem(i)->isSelected())
            return i;
    return -1;
}

void TSeSkinSListView::onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    std::set<int> off;
    for (const QModelIndex& index : deselected.indexes())
        if (!index.parent().isValid())
            off.insert(index.row());
    std::set<int> on;
    for (const QModelIndex& index : selected.indexes())
        if (!index.parent().isValid())
            on.insert(index.row());
    for (int row : off)
        emit rowSelectionChanged(row, false);
    for (int row : on)
        emit rowSelectionChanged(row, true);
}
