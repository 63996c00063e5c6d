#include "skin/controls/se_paint.h"

#include "skin/skin_engine.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>

#include <QHash>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace lanseek::skin {

QColor toQColor(TColor color)
{
    return QColor::fromRgb(colorToPixel(colorToRgb(color)));
}

QFont fontOf(const TSeSkinObject& object)
{
    return object.currentFont().toQFont();
}

QColor fontColorOf(const TSeSkinObject& object)
{
    if (!object.enabled())
        return QColor(0x80, 0x80, 0x80);
    return toQColor(object.currentFont().Color);
}

void drawPart(TSeCanvas& canvas, TSeSkinObject* object, const QRect& rect, int state)
{
    if (!object || rect.width() <= 0 || rect.height() <= 0)
        return;
    object->setState(state);
    object->setBounds(rect);
    object->draw(canvas);
}

bool isMaskedFace(const TSeSkinObject* object)
{
    const auto* bitmap = dynamic_cast<const TSeBitmapObject*>(object);
    return bitmap && (bitmap->Masked || bitmap->MaskedBorder || bitmap->MaskedAngles);
}

} // namespace lanseek::skin

using namespace lanseek::skin;

namespace {

// One bitmap serves every control that paints through the shared buffer; it only ever grows.
TSeBitmap& sharedBuffer(QSize size)
{
    static TSeBitmap buffer;
    if (buffer.width() < size.width() || buffer.height() < size.height())
        buffer.setSize(std::max(buffer.width(), size.width()), std::max(buffer.height(), size.height()));
    return buffer;
}

// True when the painter's real target (the window's backing store, the picture a grab renders into)
// keeps alpha.
bool targetHasAlpha(QPainter& painter)
{
    const QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    if (!device)
        return false;
    if (device->devType() == QInternal::Image)
        return static_cast<const QImage*>(device)->hasAlphaChannel();
    if (device->devType() == QInternal::Pixmap)
        return static_cast<const QPixmap*>(device)->hasAlphaChannel();
    return false;
}

QColor opaque(QColor color)
{
    color.setAlpha(255);
    return color;
}

} // namespace

TSeSkinControl::TSeSkinControl(QWidget* self, const char* defaultObject)
    : m_self(self), m_owner(self), m_client(self, &m_owner, QByteArray(defaultObject))
{
    m_client.onCopyTaken = [this](TSeSkinObject* copy) { skinCopyTaken(copy); };
    m_client.onCopyDropped = [this] {
        if (!m_destroying)
            skinCopyDropped();
    };
    // The client drops its copy when the engine goes; the control then returns to its plain look, once
    // the engine's destruction is over.
    m_client.onEngineGone = [this] {
        QMetaObject::invokeMethod(
            m_self, [this] { afterProtocolStep(); }, Qt::QueuedConnection);
    };
}

TSeSkinControl::~TSeSkinControl()
{
    m_destroying = true;
}

void TSeSkinControl::setSkinEngine(TSeSkinEngine* engine)
{
    m_client.setSkinEngine(engine);
    afterProtocolStep();
}

QString TSeSkinControl::SkinObject() const
{
    return fromSkinText(m_client.SkinObject());
}

void TSeSkinControl::setSkinObject(const QString& name)
{
    m_client.setSkinObject(toSkinText(name));
    afterProtocolStep();
}

void TSeSkinControl::setPerformance(TSePerformance performance)
{
    m_performance = performance;
    if (performance != kspDoubleBuffer)
        m_ownBuffer.clear();
    m_self->update();
}

void TSeSkinControl::setTransparent(bool transparent)
{
    if (m_transparent == transparent)
        return;
    m_transparent = transparent;
    m_self->update();
}

void TSeSkinControl::setBlending(const TSeBlending& blending)
{
    m_blending = blending;
    m_blending.Value = std::clamp(blending.Value, 0, 255);
    m_self->update();
}

TSeSkinObject* TSeSkinControl::skinPart(std::initializer_list<const char*> names) const
{
    for (const char* name : names) {
        if (TSeSkinObject* found = m_client.part(name))
            return found;
    }
    return nullptr;
}

TSeSkinObject* TSeSkinControl::skinPartOrCopy(const char* name) const
{
    TSeSkinObject* found = m_client.part(name);
    return found ? found : m_client.skinCopy();
}

int TSeSkinControl::enabledState() const
{
    return m_self->isEnabled() ? StateNormal : StateDisabled;
}

bool TSeSkinControl::handleSkinEvent(QEvent* event)
{
    if (!m_client.handleEvent(event))
        return false;
    // A change of skin or hue, or an object asking to be painted again: the kept face is out of date.
    forgetFace();
    // Before a change the copy is only dropped: the control repaints once, when the change is over.
    if (event->type() == skinAfterChangeEvent())
        afterProtocolStep();
    return true;
}

void TSeSkinControl::afterProtocolStep()
{
    if (m_destroying)
        return;
    forgetFace();
    if (!m_painted.isNull() && !isSkinned())
        m_painted = QImage();
    m_self->setAttribute(Qt::WA_OpaquePaintEvent, isSkinned() && paintsWholeControl());
    skinChanged();
    m_self->update();
}

QImage TSeSkinControl::backgroundImage() const
{
    const QSize size = m_self->size();
    QImage image(size, QImage::Format_ARGB32);
    QWidget* parent = m_self->parentWidget();
    if (!parent || m_self->isWindow()) {
        image.fill(opaque(m_self->palette().color(m_self->backgroundRole())));
        return image;
    }
    const QRect area = m_self->geometry();
    if (const auto* skinned = dynamic_cast<const TSeSkinControl*>(parent)) {
        const QImage& painted = skinned->paintedBackground();
        if (!painted.isNull() && painted.size() == parent->size() && painted.rect().contains(area)) {
            for (int y = 0; y < size.height(); ++y)
                std::memcpy(image.scanLine(y), painted.constScanLine(area.top() + y) + area.left() * 4,
                            size_t(size.width()) * 4);
            return image;
        }
    }
    // A parent that keeps no painting of its own (the window, a plain container) shows its
    // background colour there. Asking it to render itself would first bring every one of its children
    // up to date, for each transparent control, on every paint.
    image.fill(opaque(parent->palette().color(parent->backgroundRole())));
    return image;
}

void TSeSkinControl::composeFace(TSeBitmap& buffer, QSize size, const QImage* under, QPoint underAt,
                                 quint32 fill)
{
    // A uniform background is written once and copied down, which the C library does far faster
    // than a loop over pixels.
    const size_t rowBytes = size_t(size.width()) * 4;
    if (!under)
        std::fill(buffer.scanLine(0), buffer.scanLine(0) + size.width(), fill);
    for (int y = 0; y < size.height(); ++y) {
        if (under)
            std::memcpy(buffer.scanLine(y), under->constScanLine(underAt.y() + y) + underAt.x() * 4,
                        rowBytes);
        else if (y > 0)
            std::memcpy(buffer.scanLine(y), buffer.scanLine(0), rowBytes);
    }

    TSeCanvas canvas(&buffer);
    canvas.clip = QRegion(QRect(QPoint(0, 0), size));
    drawSkin(canvas);

    // Unmasked copies may have carried key pixels into the buffer; they show the background instead,
    // and every pixel leaves opaque. The loop has no branch, so that the compiler can widen it.
    thread_local std::vector<quint32> fillRow;
    if (!under)
        fillRow.assign(size_t(size.width()), fill);
    for (int y = 0; y < size.height(); ++y) {
        // The buffer and the background never overlap; saying so lets the loop be widened.
        quint32* __restrict line = buffer.scanLine(y);
        const quint32* __restrict below =
            under ? reinterpret_cast<const quint32*>(under->constScanLine(underAt.y() + y)) + underAt.x()
                  : fillRow.data();
        const int width = size.width();
        for (int x = 0; x < width; ++x) {
            const quint32 p = line[x];
            const quint32 b = below[x];
            line[x] = (p & 0xFFFFFFu) == TSeBitmap::kKeyColor ? b : (p | 0xFF000000u);
        }
    }
}

void TSeSkinControl::paintSkinned()
{
    const QSize size = m_self->size();
    if (size.width() <= 0 || size.height() <= 0)
        return;
    const QRect area(QPoint(0, 0), size);

    // What lies beneath: for a transparent control the part of its parent's painting under it (or
    // the parent's colour when the parent keeps no painting), else the control's own colour.
    const QImage* under = nullptr;
    QPoint underAt;
    quint32 fill = 0;
    const QColor own = m_self->palette().color(m_self->backgroundRole());
    QWidget* parent = m_self->isWindow() ? nullptr : m_self->parentWidget();
    if (m_transparent || m_blending.Enabled || own.alpha() < 255) {
        const auto* skinned = dynamic_cast<const TSeSkinControl*>(parent);
        const QImage* painted = skinned ? &skinned->paintedBackground() : nullptr;
        if (painted && !painted->isNull() && painted->size() == parent->size() &&
            painted->rect().contains(m_self->geometry())) {
            under = painted;
            underAt = m_self->geometry().topLeft();
        } else {
            fill = opaque(parent ? parent->palette().color(parent->backgroundRole()) : own).rgb();
        }
    } else {
        fill = own.rgb();
    }

    // The finished picture: every pixel opaque, texts included.
    QImage picture;
    if (const std::optional<std::size_t> key = faceKey()) {
        // The reading direction moves the objects' texts, so it is part of every face.
        const std::size_t fullKey = qHashMulti(0, *key, int(m_self->layoutDirection()));
        const Beneath beneath{under ? under->cacheKey() : 0, underAt, fill};
        if (m_face.image.isNull() || m_face.size != size || m_face.key != fullKey ||
            !(m_face.beneath == beneath)) {
            m_face = KeptFace();
            TSeBitmap face(size.width(), size.height());
            composeFace(face, size, under, underAt, fill);
            m_face = {std::exchange(face.image(), QImage()), size, fullKey, beneath};
        }
        picture = m_face.image;
        if (drawsSkinText()) {
            // The painter writes into a copy of its own; the kept face stays without text.
            QPainter p(&picture);
            p.setClipRect(area);
            drawSkinText(p);
        }
        if (m_keepPainting)
            m_painted = picture;
    } else {
        // A container's painting stays with it for its transparent children, so it paints into its own
        // buffer and lends that out afterwards; letting go of the loan first keeps the buffer unshared.
        TSeBitmap* buffer = nullptr;
        if (m_performance == kspDoubleBuffer || m_keepPainting) {
            m_painted = QImage();
            if (m_ownBuffer.width() != size.width() || m_ownBuffer.height() != size.height())
                m_ownBuffer.setSize(size.width(), size.height());
            buffer = &m_ownBuffer;
        } else {
            buffer = &sharedBuffer(size);
        }
        composeFace(*buffer, size, under, underAt, fill);
        {
            QPainter p(&buffer->image());
            p.setClipRect(area);
            drawSkinText(p);
        }
        picture = buffer->image();
        if (m_keepPainting)
            m_painted = m_ownBuffer.image();
    }

    // Every pixel is opaque now, so the picture's part goes out over the same memory in whichever form
    // the target has (with or without alpha, the bytes read alike), which the painter then copies line
    // by line instead of converting it.
    QPainter out(m_self);
    const QImage result(picture.constBits(), size.width(), size.height(), picture.bytesPerLine(),
                        targetHasAlpha(out) ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (m_blending.Enabled && m_blending.Value < 255) {
        out.drawImage(QPoint(0, 0), backgroundImage());
        out.setOpacity(m_blending.Value / 255.0);
    }
    // Where the target's clip is not a single rectangle (a container with opaque children in front of
    // it), the painter copies through its span functions, which hand a picture of more than a few dozen
    // lines to helper threads; waking them costs more than the copy. Strips stay below that.
    constexpr int kStripLines = 32;
    for (int top = 0; top < size.height(); top += kStripLines) {
        const QRect strip(0, top, size.width(), std::min(kStripLines, size.height() - top));
        out.drawImage(strip.topLeft(), result, strip);
    }
}
