#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QAction>
#include <QMenu>

// An item of a skinned popup menu. Its caption is the action's text; a caption of "-" makes it a
// separator. OnClick is the action's triggered signal.
class TSeSkinItem : public QAction
{
    Q_OBJECT
public:
    explicit TSeSkinItem(const QString& caption, QObject* parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString& caption);
    bool Scrolled() const { return m_scrolled; }
    void setScrolled(bool scrolled) { m_scrolled = scrolled; }
    int ScrollCount() const { return m_scrollCount; }
    void setScrollCount(int count) { m_scrollCount = std::max(0, count); }

    // The skin objects the item is drawn with while its menu is skinned ("Item" and "Separator" of
    // the menu's "PopupMenu" object), or nullptr.
    TSeSkinObject* itemObject() const { return m_item; }
    TSeSkinObject* separatorObject() const { return m_separator; }
    void bindSkin(TSeSkinObject* item, TSeSkinObject* separator);

private:
    bool m_scrolled = false;
    int m_scrollCount = 0;
    TSeSkinObject* m_item = nullptr;
    TSeSkinObject* m_separator = nullptr;
};

// A popup menu whose window is the "PopupMenu" object's "Frame" and whose items are drawn with its
// "Item" and "Separator" objects, inside the frame's margins.
class TSeSkinPopupMenu : public lanseek::skin::SkinnedWidget<QMenu>
{
    Q_OBJECT
public:
    explicit TSeSkinPopupMenu(QWidget* parent = nullptr);
    ~TSeSkinPopupMenu() override;

    void setSkinEngine(TSeSkinEngine* engine) override;
    // Appends an item and returns it.
    TSeSkinItem* addItem(const QString& caption);
    QList<TSeSkinItem*> Items() const;

    // The state an item is drawn in: 8 disabled, 5 highlighted, else 0.
    int itemState(const QAction* action) const;

protected:
    bool event(QEvent* event) override;
    void skinChanged() override;
    void skinCopyDropped() override { bindItems(); }
    void drawSkin(TSeCanvas& canvas) override;
    void drawSkinText(QPainter& painter) override;

private:
    void bindItems();
    bool m_lookApplied = false;
};
