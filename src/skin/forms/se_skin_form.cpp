#include "skin/forms/se_skin_form.h"

#include "skin/controls/widget_skin_owner.h"
#include "skin/forms/frame_geometry.h"
#include "skin/forms/frame_window.h"
#include "skin/skin_engine.h"
#include "skin/skin_objects.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

using namespace lanseek::skin;

TSeSkinForm::TSeSkinForm(QWidget* owner)
    : TSeCustomForm(owner), m_frameOwner(std::make_unique<WidgetSkinOwner>(window()))
{
}

TSeSkinForm::~TSeSkinForm()
{
    QObject::disconnect(m_engineGone);
    if (m_engine)
        m_engine->removeClient(this);
    forgetSkinObjects(); // the copy goes before the frame it belongs to
}

void TSeSkinForm::setSkinEngine(TSeSkinEngine* engine)
{
    QObject::disconnect(m_engineGone);
    if (m_engine != engine) {
        if (m_engine)
            m_engine->removeClient(this);
        if (engine)
            engine->addClient(this);
    }
    m_engine = engine;
    if (engine)
        m_engineGone = connect(engine, &QObject::destroyed, this, [this] {
            dropSkin();
            applyFrame();
        });
    takeSkin();
    applyFrame();
}

void TSeSkinForm::setSkinObject(const QByteArray& name)
{
    m_objectName = name;
    takeSkin();
    applyFrame();
}

void TSeSkinForm::setBorderStyle(TSeBorderStyle style)
{
    if (style == kbsToolWindow)
        m_objectName = "ToolWindow";
    TSeCustomForm::setBorderStyle(style);
    takeSkin();
    applyFrame();
}

bool TSeSkinForm::isSkinned() const
{
    return Active && m_engine && m_engine->isSkinAvailable() && m_copy;
}

void TSeSkinForm::forgetPainting()
{
    m_painted.clear();
    m_paintedSize = QSize();
    m_paintedClient = QRect();
}

void TSeSkinForm::dropSkin()
{
    // Whatever of the frame points into the copy (the object under the mouse, the one pressed, the
    // title and the client) is let go before the copy goes.
    forgetSkinObjects();
    forgetPainting();
    m_title = nullptr;
    m_client = nullptr;
    m_copy.reset();
    window()->clearMask();
}

void TSeSkinForm::takeSkin()
{
    dropSkin();
    if (!m_engine || !m_engine->isSkinAvailable())
        return;
    // A missing object by request falls back to the skin's form object.
    TSeSkinObject* master = m_engine->findObject(m_objectName);
    if (!master)
        master = m_engine->formObject();
    if (!master)
        return;
    m_copy = master->createCopy();
    m_copy->bindOwner(m_frameOwner.get());
    m_title = m_copy->findObjectByKind(skTitle);
    m_client = m_copy->findObjectByKind(skClient);
    layoutTree();
}

void TSeSkinForm::layoutTree()
{
    if (!m_copy)
        return;
    m_copy->setBounds(0, 0, window()->width(), window()->height());
    if (m_title)
        m_title->setText(Caption());
}

QRegion TSeSkinForm::frameRegion() const
{
    return isSkinned() ? m_copy->createRegion() : QRegion();
}

int TSeSkinForm::captionShortfall() const
{
    if (!isSkinned() || !m_title)
        return 0;
    const QFontMetrics metrics(m_title->currentFont().toQFont());
    const int room = m_title->width() - m_title->TextMarginLeft - m_title->TextMarginRight;
    // A few pixels beyond the text itself, so that it does not touch the buttons beside it.
    const int wanted = metrics.horizontalAdvance(Caption()) + 4;
    return std::max(0, wanted - room);
}

void TSeSkinForm::frameResized()
{
    layoutTree();
    if (isSkinned())
        window()->setMask(frameRegion());
    else
        window()->clearMask();
    TSeCustomForm::frameResized();
}

bool TSeSkinForm::event(QEvent* event)
{
    if (event->type() == skinBeforeChangeEvent() || event->type() == skinAfterChangeEvent()) {
        auto* e = static_cast<SeEngineEvent*>(event);
        if (!m_engine || e->engine() != m_engine)
            return false;
        if (event->type() == skinBeforeChangeEvent()) {
            pauseHover();
            dropSkin();
        } else {
            takeSkin();
        }
        applyFrame();
        if (event->type() == skinAfterChangeEvent())
            resumeHover();
        return true;
    }
    return TSeCustomForm::event(event);
}

bool TSeSkinForm::frameEvent(QEvent* event)
{
    if (event->type() == skinRepaintEvent()) {
        if (static_cast<SeRepaintEvent*>(event)->object() != m_client)
            repaintFrame();
        return true;
    }
    // The window's background shows where the frame's pieces hold the key.
    if (event->type() == QEvent::PaletteChange)
        forgetPainting();
    return TSeCustomForm::frameEvent(event);
}

void TSeSkinForm::paintFrame(QPainter& painter)
{
    if (!isSkinned()) {
        TSeCustomForm::paintFrame(painter);
        return;
    }
    const QSize size = window()->size();
    if (size.isEmpty())
        return;
    const QRect client = clientRect();
    if (m_paintedSize != size || m_paintedClient != client) {
        layoutTree();
        m_copy->setActive(window()->isActiveWindow());
        m_copy->setState(FrameStateMachine::objectState(WindowState()));
        // The frame is painted over the skin's own background colour rather than the transparent key, so
        // that anti-aliased caption text never blends with the key; what lies outside the window's region
        // is cut away by the mask. Only what the owner does not cover is drawn, piece by piece: a fraction
        // of the window's pixels, which matters most for the first paint and while the window moves.
        const TColor background = m_copy->Color != clNone ? m_copy->Color : clBtnFace;
        // Where a piece still holds the key, the window's own background shows. Over a plain colour
        // that colour is written in, and the piece is an opaque picture the painter merely copies.
        const QBrush beneath = window()->palette().brush(QPalette::Window);
        const bool plainBeneath = beneath.style() == Qt::SolidPattern && beneath.color().alpha() == 255;
        m_painted.clear();
        if (m_client)
            m_client->setVisible(false);
        for (const QRect& piece : framePieces(size, client)) {
            TSeBitmap buffer(piece.width(), piece.height(), colorToPixel(background));
            TSeCanvas canvas(&buffer);
            canvas.offset = -piece.topLeft();
            m_copy->draw(canvas);
            // Else kept premultiplied: the form the painter blends without converting every time.
            m_painted.push_back({piece.topLeft(), plainBeneath ? buffer.takeOpaqueImage(beneath.color().rgb())
                                                               : buffer.takeDisplayImage()});
        }
        if (m_client)
            m_client->setVisible(true);
        m_paintedSize = size;
        m_paintedClient = client;
    }
    // Each piece lies outside the client area and is drawn clipped to itself: one rectangle, which the
    // painter copies in whole lines, where a region around the client would be walked span by span.
    for (const PaintedPiece& piece : m_painted) {
        painter.setClipRect(QRect(piece.at, piece.image.size()));
        painter.drawImage(piece.at, piece.image);
    }
}
