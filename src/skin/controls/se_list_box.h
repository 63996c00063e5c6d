#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QListView>

class QStandardItemModel;

// A list of text items. Skinned, its border is the "ListBox" object's "Frame", every item is drawn
// over its "Item" object (5 while selected or under the mouse, else 0; 8 when disabled) and checkable
// items show "Checked", "Unchecked" or "Mixed". Combo boxes use one as their drop-down list.
class TSeSkinListBox
    : public lanseek::skin::SkinnedWidget<QListView, lanseek::skin::SkinnedPaint::ScrollAreaFrame>
{
    Q_OBJECT
public:
    explicit TSeSkinListBox(QWidget* parent = nullptr);

    void setSkinEngine(TSeSkinEngine* engine) override;

    // The items of a stand-alone list box (a list box that shows another model has none of its own).
    QStringList Items() const;
    void addItem(const QString& text);
    void clearItems();
    int ItemIndex() const;
    void setItemIndex(int index);

protected:
    void skinChanged() override;
    void drawSkin(TSeCanvas& canvas) override;

private:
    class ItemPainter;
    QStandardItemModel* m_items;
    bool m_lookApplied = false;
};
