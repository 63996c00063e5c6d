#pragma once

#include "platform/model/list_row.h"
#include "skin/controls/se_skinned_widget.h"

#include <QHash>
#include <QList>
#include <QPixmap>
#include <QTreeWidget>

#include <functional>
#include <vector>

// The shared small icons of the list views: index 0 MP3, 1 RM, 2 WMA, 3 ASF, 4 RAM; any other index
// stands for no icon.
class TImageList
{
public:
    void Clear()
    {
        m_images.clear();
        m_later.clear();
    }
    void Add(const QPixmap& image)
    {
        makePending();
        m_images.push_back(image);
    }
    // Adds the pictures that make() draws, drawn only when the list is first used: pictures that come
    // from the desktop's theme cost a search through it, which start-up need not wait for.
    void AddLater(std::function<QList<QPixmap>()> make) { m_later.push_back(std::move(make)); }
    int Count() const
    {
        makePending();
        return static_cast<int>(m_images.size());
    }
    QPixmap image(int index) const;
    QIcon icon(int index) const;

private:
    void makePending() const;

    mutable QList<QPixmap> m_images;
    mutable std::vector<std::function<QList<QPixmap>()>> m_later;
};

// A report-style list view: a caption column followed by sub-item columns. Rows are addressed by index;
// a row's sub-items are the texts of its further columns, and a row may carry fewer sub-items than there
// are columns. Skinned, its border comes from the "ListBox" object's "Frame" (state 0, or 8 when
// disabled), its scroll bars are skinned scroll bars and its header sections are drawn from the same
// engine's "Header" object.
class TSeSkinSListView
    : public lanseek::skin::SkinnedWidget<QTreeWidget, lanseek::skin::SkinnedPaint::ScrollAreaFrame>
{
    Q_OBJECT
public:
    explicit TSeSkinSListView(QWidget* parent = nullptr);

    void setSkinEngine(TSeSkinEngine* engine) override;

    void setColumns(const QStringList& headers, const QList<int>& widths);
    // Scales the columns as the control is scaled; they keep holding what they must (below).
    void scaleColumns(int num, int den);
    // Texts a column must show whole, such as the states a row passes through: the column is kept as
    // wide as the widest of them. Every column is kept as wide as its header's caption.
    void setWholeTexts(int column, const QStringList& texts);
    // The whole text of a cell that its column shows cut short, else empty: the cell's tooltip.
    QString cutCellText(int row, int column) const;
    void setImages(const TImageList* images);
    void setMultiSelect(bool multi);
    // The icon shown in the header of the caption column (an index into the image list).
    void setHeaderImage(int imageIndex);
    int headerImage() const { return m_headerImage; }

    int Count() const { return topLevelItemCount(); }
    lanseek::platform::ListRow row(int index) const;
    void setRow(int index, const lanseek::platform::ListRow& row);
    // Appends a row and returns its index.
    int appendRow(const lanseek::platform::ListRow& row);
    void deleteRow(int index);
    void Clear() { clear(); }
    int subItemCount(int index) const;
    QString subItem(int index, int sub) const;
    void setSubItem(int index, int sub, const QString& text);
    QString caption(int index) const;

    bool isRowSelected(int index) const;
    void setRowSelected(int index, bool selected);
    std::vector<int> selectedRowIndexes() const; // in list order
    int firstSelectedRow() const;                // -1 when none

signals:
    // A row became selected (true) or was deselected (false).
    void rowSelectionChanged(int index, bool selected);

protected:
    void skinChanged() override;
    void drawSkin(TSeCanvas& canvas) override;
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    std::optional<std::size_t> faceKey() const override;
    bool drawsSkinText() const override { return false; }

private:
    void applyImage(QTreeWidgetItem* item, int imageIndex) const;
    void onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

    void fitColumns();
    int cellTextMargin() const;
    int cellTextRoom(const QTreeWidgetItem* item, int column) const;

    QList<int> m_designWidths; // as set or scaled, before fitting
    QHash<int, QStringList> m_wholeTexts;
    const TImageList* m_images = nullptr;
    int m_headerImage = -1;
    bool m_lookApplied = false;
    class SkinHeader;
    SkinHeader* m_header = nullptr;
};
