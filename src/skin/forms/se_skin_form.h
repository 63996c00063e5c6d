#pragma once

// TSeSkinForm: the frame drawn from a skin. It keeps its own copy of the skin's form object ("Form", or
// "ToolWindow" for a tool window, falling back to the skin's form object), paints caption, borders and
// caption buttons from it, shapes the window with the object tree's region, and takes the copy again
// whenever its engine's skin changes. It is one of its engine's clients: the component itself hears the
// engine's notifications.

#include "skin/forms/custom_form.h"
#include "skin/skin_engine.h"

#include <QByteArray>
#include <QImage>
#include <QPointer>

#include <memory>
#include <vector>

namespace lanseek::skin {
class WidgetSkinOwner;
}

class TSeSkinForm : public TSeCustomForm
{
    Q_OBJECT
public:
    explicit TSeSkinForm(QWidget* owner);
    ~TSeSkinForm() override;

    TSeSkinEngine* SkinEngine() const { return m_engine; }
    void setSkinEngine(TSeSkinEngine* engine);
    const QByteArray& SkinObject() const { return m_objectName; }
    void setSkinObject(const QByteArray& name);
    QString Version() const { return QStringLiteral("3.2.0"); }
    // A tool window asks for "ToolWindow".
    void setBorderStyle(TSeBorderStyle style) override;

    bool isSkinned() const override;
    TSeSkinObject* formTree() const override { return m_copy.get(); }
    // The region the window is shaped by (window coordinates); empty when it is not skinned.
    QRegion frameRegion() const;
    // How many pixels the window lacks for its caption to show whole in the skin's title (0 when it
    // fits or the window is not skinned).
    int captionShortfall() const;

protected:
    bool event(QEvent* event) override;
    void paintFrame(QPainter& painter) override;
    void frameResized() override;
    bool frameEvent(QEvent* event) override;
    void frameChanged() override { forgetPainting(); }

private:
    void takeSkin();
    void dropSkin();
    void layoutTree();
    void forgetPainting();

    QPointer<TSeSkinEngine> m_engine;
    QByteArray m_objectName = "Form";
    // The frame window as the copy's objects see it; made before the copy and freed after it.
    std::unique_ptr<lanseek::skin::WidgetSkinOwner> m_frameOwner;
    std::unique_ptr<TSeSkinObject> m_copy;
    TSeSkinObject* m_title = nullptr;
    TSeSkinObject* m_client = nullptr;
    QMetaObject::Connection m_engineGone;
    // The frame as last painted, in the pieces around the client area (which the owner covers):
    // moving the window shows them again without drawing the tree anew.
    struct PaintedPiece
    {
        QPoint at;
        QImage image;
    };
    std::vector<PaintedPiece> m_painted;
    QSize m_paintedSize;
    QRect m_paintedClient;
};
