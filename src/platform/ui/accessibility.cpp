#include "platform/ui/accessibility.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTextDocumentFragment>

namespace lanseek::platform {
namespace {

// A label read as static text: its name and its characters are the text it shows.
class LabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit LabelAccessible(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name) {
            const QString own = widget()->accessibleName();
            return own.isEmpty() ? shown() : own;
        }
        return QAccessibleWidget::text(kind);
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // ---- the text interface: read-only, nothing selectable ----
    QString text(int startOffset, int endOffset) const override
    {
        const QString all = shown();
        startOffset = std::clamp(startOffset, 0, int(all.size()));
        endOffset = endOffset < 0 ? int(all.size()) : std::clamp(endOffset, startOffset, int(all.size()));
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    void selection(int, int* startOffset, int* endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    QString shown() const
    {
        const auto* label = static_cast<const QLabel*>(widget());
        const QString raw = label->text();
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(raw));
        return rich ? QTextDocumentFragment::fromHtml(raw).toPlainText() : raw;
    }
};

// The application with its open popup menus after its windows.
class ApplicationAccessible : public QAccessibleApplication
{
public:
    int childCount() const override { return QAccessibleApplication::childCount() + int(openMenus().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const int windows = QAccessibleApplication::childCount();
        if (index < windows)
            return QAccessibleApplication::child(index);
        const QList<QMenu*> menus = openMenus();
        index -= windows;
        return index < menus.size() ? QAccessible::queryAccessibleInterface(menus[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const int own = QAccessibleApplication::indexOfChild(child);
        if (own >= 0 || !child)
            return own;
        const int at = int(openMenus().indexOf(qobject_cast<QMenu*>(child->object())));
        return at < 0 ? -1 : QAccessibleApplication::childCount() + at;
    }

private:
    static QList<QMenu*> openMenus()
    {
        QList<QMenu*> menus;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* menu = qobject_cast<QMenu*>(top); menu && menu->isVisible())
                menus << menu;
        }
        return menus;
    }
};

QAccessibleInterface* programAccessible(const QString& className, QObject* object)
{
    if (!object)
        return nullptr;
    // The first call names the object's own class, so a label of any class is taken here.
    if (auto* label = qobject_cast<QLabel*>(object))
        return new LabelAccessible(label);
    if (object == qApp && className == QLatin1String("QApplication"))
        return new ApplicationAccessible;
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(programAccessible);
}

} // namespace lanseek::platform
