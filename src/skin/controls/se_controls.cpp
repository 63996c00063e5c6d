#include "skin/controls/se_controls.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <set>

namespace {
constexpr int kImageRole = Qt::UserRole + 1;
}

QPixmap TImageList::image(int index) const
{
    if (index < 0 || index >= m_images.size())
        return {};
    return m_images[index];
}

QIcon TImageList::icon(int index) const
{
    const QPixmap pixmap = image(index);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

TSeSkinButton::TSeSkinButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent), TSeSkinClient(QStringLiteral("Button"))
{
}

TSeSkinSpeedButton::TSeSkinSpeedButton(const QString& caption, QWidget* parent)
    : QToolButton(parent), TSeSkinClient(QStringLiteral("SpeedButton"))
{
    setText(caption);
    setAutoRaise(true);
    // Speed buttons never take the focus, so an editor keeps it while a tool button is clicked.
    setFocusPolicy(Qt::NoFocus);
}

TSeSkinEdit::TSeSkinEdit(QWidget* parent) : QLineEdit(parent), TSeSkinClient(QStringLiteral("Edit")) {}

TSeSkinMemo::TSeSkinMemo(QWidget* parent) : QPlainTextEdit(parent), TSeSkinClient(QStringLiteral("Edit"))
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QStringList TSeSkinMemo::Lines() const
{
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    if (lines.size() == 1 && lines.front().isEmpty())
        lines.clear();
    return lines;
}

QStringList TSeSkinMemo::visualLines() const
{
    if (lineWrapMode() == QPlainTextEdit::NoWrap)
        return Lines();
    const qreal width = std::max<qreal>(1, viewport()->width() - 2 * document()->documentMargin() - 1);
    QTextOption option = document()->defaultTextOption();
    option.setWrapMode(wordWrapMode());
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (text.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(text, font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << text.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    if (lines.size() == 1 && lines.front().isEmpty())
        lines.clear();
    return lines;
}

TSeSkinComboBox::TSeSkinComboBox(QWidget* parent)
    : QComboBox(parent), TSeSkinClient(QStringLiteral("ComboBox"))
{
}

TSeSkinProgressBar::TSeSkinProgressBar(QWidget* parent)
    : QProgressBar(parent), TSeSkinClient(QStringLiteral("ProgressBar"))
{
    setTextVisible(false);
    sync();
}

void TSeSkinProgressBar::setMin(int value)
{
    m_min = value;
    sync();
}

void TSeSkinProgressBar::setMax(int value)
{
    m_max = value;
    sync();
}

void TSeSkinProgressBar::setPosition(int value)
{
    m_position = value;
    sync();
}

void TSeSkinProgressBar::sync()
{
    const int low = std::min(m_min, m_max);
    const int high = std::max(m_min, m_max);
    setRange(low, high);
    setValue(std::clamp(m_position, low, high));
}

TSeSkinPanel::TSeSkinPanel(const QString& caption, QWidget* parent)
    : QFrame(parent), TSeSkinClient(QStringLiteral("Panel")), m_caption(caption)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
}

void TSeSkinPanel::setCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

void TSeSkinPanel::setShowCaption(bool show)
{
    m_showCaption = show;
    update();
}

int TSeSkinPanel::captionHeight() const
{
    return m_showCaption ? fontMetrics().height() + 6 : 0;
}

void TSeSkinPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!m_showCaption || m_caption.isEmpty())
        return;
    QPainter p(this);
    const QRect strip(1, 1, width() - 2, captionHeight());
    p.fillRect(strip, palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(strip.adjusted(5, 0, -5, 0), Qt::AlignLeft | Qt::AlignVCenter, m_caption);
}

TSeSkinToolBar::TSeSkinToolBar(QWidget* parent) : QFrame(parent), TSeSkinClient(QStringLiteral("ToolBar"))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
}

void TSeSkinToolBar::addControl(QWidget* control, int gapBefore)
{
    control->setParent(this);
    m_nextLeft += gapBefore;
    const int top = std::max(0, (height() - control->height()) / 2);
    control->move(m_nextLeft, top);
    m_nextLeft += control->width() + 1;
}

TSeSkinLabel::TSeSkinLabel(const QString& caption, QWidget* parent)
    : QLabel(caption, parent), TSeSkinClient(QStringLiteral("Label"))
{
}

TSeSkinStatusBar::TSeSkinStatusBar(const std::vector<int>& widths, QWidget* parent)
    : QFrame(parent), TSeSkinClient(QStringLiteral("StatusBar"))
{
    setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(2);
    for (int width : widths) {
        auto* label = new QLabel(this);
        label->setFixedWidth(width);
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        m_panels.push_back(label);
        row->addWidget(label);
    }
    row->addStretch(1);
}

QString TSeSkinStatusBar::panelText(int index) const
{
    if (index < 0 || index >= panelCount())
        return {};
    return m_panels[index]->text();
}

void TSeSkinStatusBar::setPanelText(int index, const QString& text)
{
    if (index < 0 || index >= panelCount())
        return;
    m_panels[index]->setText(text);
    m_panels[index]->setAccessibleName(text);
}

TSeSkinPopupMenu::TSeSkinPopupMenu(QWidget* parent)
    : QMenu(parent), TSeSkinClient(QStringLiteral("PopupMenu"))
{
}

TSeSkinSListView::TSeSkinSListView(QWidget* parent)
    : QTreeWidget(parent), TSeSkinClient(QStringLiteral("ListBox"))
{
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

void TSeSkinSListView::setColumns(const QStringList& headers, const QList<int>& widths)
{
    setColumnCount(static_cast<int>(headers.size()));
    setHeaderLabels(headers);
    for (int i = 0; i < widths.size() && i < headers.size(); ++i)
        setColumnWidth(i, widths[i]);
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
