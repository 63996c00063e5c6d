#include "skin/forms/frame_accessible.h"

#include "skin/forms/custom_form.h"
#include "skin/forms/frame_window.h"
#include "skin/skin_objects.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleWidget>
#include <QPointer>

#include <map>

namespace lanseek::skin {

QString captionButtonName(TSeAction action)
{
    switch (action) {
    case sbaSysMenu:
        return QStringLiteral("系统菜单");
    case sbaMinimize:
        return QStringLiteral("最小化");
    case sbaTray:
        return QStringLiteral("缩为图标");
    case sbaClose:
        return QStringLiteral("关闭");
    case sbaMaximize:
        return QStringLiteral("最大化");
    case sbaRestore:
    case sbaRollDown:
        return QStringLiteral("还原");
    case sbaRollUp:
        return QStringLiteral("收缩");
    case sbaHelp:
        return QStringLiteral("帮助");
    default:
        return {};
    }
}

namespace {

void collectButtons(TSeSkinObject* object, std::vector<TSeSystemButton*>& out)
{
    if (!object->visible())
        return;
    if (auto* button = dynamic_cast<TSeSystemButton*>(object)) {
        if (!captionButtonName(button->Action).isEmpty())
            out.push_back(button);
        return;
    }
    for (int i = 0; i < object->childCount(); ++i)
        collectButtons(object->child(i), out);
}

} // namespace

std::vector<TSeSystemButton*> captionButtons(TSeSkinObject* formTree)
{
    std::vector<TSeSystemButton*> buttons;
    if (formTree)
        collectButtons(formTree, buttons);
    return buttons;
}

TSeSystemButton* captionButtonAt(TSeSkinObject* formTree, const QPoint& point)
{
    for (TSeSkinObject* o = formTree ? formTree->objectAt(point) : nullptr; o; o = o->parent()) {
        if (auto* button = dynamic_cast<TSeSystemButton*>(o))
            return captionButtonName(button->Action).isEmpty() ? nullptr : button;
    }
    return nullptr;
}

namespace {

// A caption button as a push button. It holds no pointer into the form tree, which a change of skin
// frees: it finds the button of its action in the frame's present tree whenever it is asked.
class CaptionButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    CaptionButtonAccessible(FrameWindow* window, TSeAction action) : m_window(window), m_action(action) {}

    bool isValid() const override { return button() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_window ? m_window->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return m_window ? QAccessible::queryAccessibleInterface(m_window.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name || t == QAccessible::Description ? captionButtonName(m_action)
                                                                       : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        const TSeSystemButton* b = button();
        s.invisible = b == nullptr;
        s.hotTracked = b && b->mouseState() == TSeSystemButton::Hot;
        s.pressed = b && b->mouseState() == TSeSystemButton::Pressed;
        return s;
    }
    QRect rect() const override
    {
        const TSeSystemButton* b = button();
        return b ? QRect(m_window->mapToGlobal(b->boundsRect().topLeft()), b->boundsRect().size()) : QRect();
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name != pressAction())
            return;
        if (TSeSystemButton* b = button())
            m_window->form()->runFrameAction(m_action, b);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    TSeSystemButton* button() const
    {
        if (!m_window)
            return nullptr;
        for (TSeSystemButton* b : captionButtons(m_window->form()->formTree())) {
            if (b->Action == m_action)
                return b;
        }
        return nullptr;
    }

    QPointer<FrameWindow> m_window;
    TSeAction m_action;
};

class FrameAccessible : public QAccessibleWidget
{
public:
    explicit FrameAccessible(FrameWindow* window) : QAccessibleWidget(window, QAccessible::Window) {}
    ~FrameAccessible() override
    {
        for (const auto& [action, id] : m_buttons)
            QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return frame()->form()->Caption();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return int(actions().size()) + (frame()->form()->owner() ? 1 : 0); }
    QAccessibleInterface* child(int index) const override
    {
        const std::vector<TSeAction> shown = actions();
        if (index >= 0 && index < int(shown.size()))
            return buttonInterface(shown[size_t(index)]);
        if (index == int(shown.size()))
            return QAccessible::queryAccessibleInterface(frame()->form()->owner());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        const std::vector<TSeAction> shown = actions();
        for (size_t i = 0; i < shown.size(); ++i) {
            if (buttonInterface(shown[i]) == child)
                return int(i);
        }
        QWidget* owner = frame()->form()->owner();
        return owner && child->object() == owner ? int(shown.size()) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            QAccessibleInterface* c = child(i);
            if (c && c->rect().contains(x, y))
                return c;
        }
        return nullptr;
    }

private:
    FrameWindow* frame() const { return static_cast<FrameWindow*>(widget()); }
    std::vector<TSeAction> actions() const
    {
        std::vector<TSeAction> out;
        for (const TSeSystemButton* b : captionButtons(frame()->form()->formTree()))
            out.push_back(b->Action);
        return out;
    }
    // One interface per action for the frame's life, so that a button keeps its identity across a
    // change of skin and the cache of interfaces stays small.
    QAccessibleInterface* buttonInterface(TSeAction action) const
    {
        auto found = m_buttons.find(action);
        if (found != m_buttons.end())
            return QAccessible::accessibleInterface(found->second);
        auto* made = new CaptionButtonAccessible(frame(), action);
        m_buttons[action] = QAccessible::registerAccessibleInterface(made);
        return made;
    }

    mutable std::map<TSeAction, QAccessible::Id> m_buttons;
};

QAccessibleInterface* frameAccessibleFactory(const QString& className, QObject* object)
{
    auto* window = qobject_cast<FrameWindow*>(object);
    if (!window || className != QLatin1String(FrameWindow::staticMetaObject.className()))
        return nullptr;
    return new FrameAccessible(window);
}

} // namespace

void installFrameAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(frameAccessibleFactory);
        return true;
    }();
    (void)installed;
}

} // namespace lanseek::skin
