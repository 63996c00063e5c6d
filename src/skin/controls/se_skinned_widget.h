#pragma once

// The Qt side that every skinned control shares: the widget class and the painting base joined, the
// engine's events taken before the widget sees them, the repaints the skin state asks for, and the
// choice between the skinned and the plain painting. A control states once which events change its
// look and how it is painted, so that a fix to that wiring reaches every control.

#include "skin/controls/se_paint.h"

#include <QEvent>

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace lanseek::skin {

// How the skinned painting reaches the screen.
enum class SkinnedPaint {
    // The widget's paint event paints the skin while skinned and the plain look otherwise.
    Widget,
    // The scroll area's own paint event (its border, outside the viewport) paints the skin while
    // skinned; the viewport paints as it always does.
    ScrollAreaFrame,
    // The control paints on its own (or not at all); the widget's painting is left as it is.
    Own,
};

template <class Base, SkinnedPaint kPaint = SkinnedPaint::Widget> class SkinnedWidget : public Base,
                                                                                        public TSeSkinControl
{
public:
    // The flag is set before the widget part goes, so no engine step reaches a half-destroyed control.
    ~SkinnedWidget() override { markDestroying(); }

protected:
    template <class... Args> explicit SkinnedWidget(const char* defaultObject, Args&&... args)
        : Base(std::forward<Args>(args)...), TSeSkinControl(this, defaultObject)
    {
    }

    // The events after which the control repaints itself, because the state it hands to its skin
    // objects depends on them (the mouse over it, the focus, being enabled).
    void repaintOn(std::initializer_list<QEvent::Type> types) { m_repaintOn.assign(types); }

    bool event(QEvent* event) override
    {
        if (handleSkinEvent(event))
            return true;
        if constexpr (kPaint == SkinnedPaint::ScrollAreaFrame) {
            if (event->type() == QEvent::Paint && isSkinned()) {
                paintSkinned();
                return true;
            }
        }
        if (std::find(m_repaintOn.begin(), m_repaintOn.end(), event->type()) != m_repaintOn.end())
            this->update();
        return Base::event(event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        if (kPaint == SkinnedPaint::Widget && isSkinned()) {
            paintSkinned();
            return;
        }
        Base::paintEvent(event);
    }

private:
    std::vector<QEvent::Type> m_repaintOn;
};

} // namespace lanseek::skin
