#include "platform/web/web_browser.h"

#include "platform/web/address.h"
#include "platform/web/web_browser_impl.h"

#include <QFrame>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

using lanseek::platform::HtmlNode;
using lanseek::platform::PageLayout;

namespace {

// Text is laid out at the size browsers give ordinary text.
constexpr int kBaseFontPixels = 16;

QImage loadBackground(const QString& background, const QString& pageAddress)
{
    if (background.isEmpty()) {
        return {};
    }
    // Only local pictures are shown: the page view fetches nothing from the network.
    const QString address = lanseek::platform::resolveAddress(pageAddress, background);
    if (!lanseek::platform::isFileAddress(address)) {
        return {};
    }
    return QImage(lanseek::platform::localPathOf(address));
}

} // namespace

void TWebBrowser::setupView()
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_impl->scrollBar = new QScrollBar(Qt::Vertical, this);
    m_impl->scrollBar->hide();
    connect(m_impl->scrollBar, &QScrollBar::valueChanged, this, [this] {
        placeHostedObjects();
        update();
    });
    connect(&m_impl->marqueeTimer, &QTimer::timeout, this, [this] {
        if (!m_impl->layout) {
            return;
        }
        const int scroll = scrollPosition();
        for (const auto& marquee : m_impl->layout->marquees) {
            update(marquee.rect.toAlignedRect().translated(0, -scroll));
        }
    });
}

void TWebBrowser::setObjectFactory(ObjectFactory factory)
{
    m_impl->objectFactory = std::move(factory);
}

void TWebBrowser::setSaveAsHandler(SaveAsHandler handler)
{
    m_impl->saveAsHandler = std::move(handler);
}

bool TWebBrowser::ExecWB(int cmd, int opt)
{
    Q_UNUSED(opt); // every option shows the program's own dialog
    if (cmd != kSaveAs || !m_impl->saveAsHandler || !m_impl->document) {
        return false;
    }
    m_impl->saveAsHandler(*m_impl->document);
    return true;
}

const PageLayout* TWebBrowser::pageLayout() const
{
    return m_impl->layout.get();
}

std::vector<QWidget*> TWebBrowser::hostedObjects() const
{
    std::vector<QWidget*> out;
    for (const auto& widget : m_impl->hosted) {
        out.push_back(widget.data());
    }
    return out;
}

int TWebBrowser::scrollPosition() const
{
    return m_impl->scrollBar->isVisible() ? m_impl->scrollBar->value() : 0;
}

void TWebBrowser::setScrollPosition(int y)
{
    m_impl->scrollBar->setValue(y);
}

void TWebBrowser::documentChanged()
{
    refreshView(true);
}

void TWebBrowser::refreshView(bool newPage)
{
    const auto& document = m_impl->document;
    if (newPage) {
        // The controls of the old page go at once, so that a player stops even while the view is hidden.
        for (auto& widget : m_impl->hosted) {
            delete widget.data();
        }
        m_impl->hosted.clear();
        m_impl->layout.reset();
        m_impl->background = {};
        m_impl->scrollBar->setValue(0);
        m_impl->marqueeClock.start();
    }
    // Hidden browsers (the search pages) are never laid out; a page is laid out once it is shown.
    if (!isVisible()) {
        m_impl->viewStale = m_impl->viewStale || newPage;
        return;
    }
    newPage = newPage || m_impl->viewStale;
    m_impl->viewStale = false;
    if (!document || !document->root) {
        m_impl->layout.reset();
        m_impl->marqueeTimer.stop();
        m_impl->scrollBar->hide();
        update();
        return;
    }

    QFont base = font();
    base.setPixelSize(kBaseFontPixels);
    auto layout = std::make_unique<PageLayout>(layoutPage(*document->root, width(), base));
    const int barWidth = m_impl->scrollBar->sizeHint().width();
    const bool scrolls = layout->size.height() > height();
    if (scrolls) {
        layout =
            std::make_unique<PageLayout>(layoutPage(*document->root, std::max(1, width() - barWidth), base));
        m_impl->scrollBar->setGeometry(width() - barWidth, 0, barWidth, height());
        m_impl->scrollBar->setRange(0, std::max(0, layout->size.height() - height()));
        m_impl->scrollBar->setPageStep(height());
        m_impl->scrollBar->setSingleStep(kBaseFontPixels * 3);
        m_impl->scrollBar->show();
        m_impl->scrollBar->raise();
    } else {
        m_impl->scrollBar->hide();
    }
    m_impl->layout = std::move(layout);

    if (newPage) {
        const QImage picture = loadBackground(m_impl->layout->background, document->url);
        m_impl->background = picture.isNull() ? QPixmap() : QPixmap::fromImage(picture);
        for (const auto& box : m_impl->layout->objects) {
            QWidget* widget = m_impl->objectFactory ? m_impl->objectFactory(*box.node, this) : nullptr;
            if (!widget) {
                auto* frame = new QFrame(this);
                frame->setFrameShape(QFrame::Box);
                widget = frame;
            } else if (widget->parentWidget() != this) {
                widget->setParent(this);
            }
            widget->show();
            m_impl->hosted.emplace_back(widget);
        }
    }
    placeHostedObjects();

    int delay = 0;
    for (const auto& marquee : m_impl->layout->marquees) {
        delay = delay == 0 ? marquee.delayMs : std::min(delay, marquee.delayMs);
    }
    if (delay > 0) {
        m_impl->marqueeTimer.start(delay);
    } else {
        m_impl->marqueeTimer.stop();
    }
    update();
}

void TWebBrowser::placeHostedObjects()
{
    if (!m_impl->layout) {
        return;
    }
    const int scroll = scrollPosition();
    const auto& objects = m_impl->layout->objects;
    for (size_t i = 0; i < objects.size() && i < m_impl->hosted.size(); ++i) {
        if (QWidget* widget = m_impl->hosted[i].data()) {
            widget->setGeometry(objects[i].rect.translated(0, -scroll));
        }
    }
    m_impl->scrollBar->raise();
}

void TWebBrowser::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    const PageLayout* layout = m_impl->layout.get();
    painter.fillRect(rect(), layout ? layout->backgroundColor : QColor(Qt::white));
    if (!layout) {
        if (!m_impl->busy && !m_impl->lastError.isEmpty()) {
            painter.setPen(Qt::black);
            painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                             QStringLiteral("无法显示网页"));
        }
        return;
    }
    const int scroll = scrollPosition();
    if (!m_impl->background.isNull()) {
        // The picture is tiled over the whole page and scrolls with it.
        painter.drawTiledPixmap(rect(), m_impl->background, QPointF(0, scroll % m_impl->background.height()));
    }
    painter.translate(0, -scroll);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const QRectF& rule : layout->rules) {
        painter.fillRect(rule, QColor(0x80, 0x80, 0x80));
    }
    for (const auto& run : layout->runs) {
        painter.setFont(run.font);
        painter.setPen(run.color);
        painter.drawText(QPointF(run.rect.left(), run.baseline), run.text);
    }
    const qint64 elapsed = m_impl->marqueeClock.isValid() ? m_impl->marqueeClock.elapsed() : 0;
    for (const auto& marquee : layout->marquees) {
        painter.save();
        painter.setClipRect(marquee.rect, Qt::IntersectClip);
        const qreal x = marquee.rect.left() + lanseek::platform::marqueePosition(marquee, elapsed);
        for (const auto& run : marquee.runs) {
            painter.setFont(run.font);
            painter.setPen(run.color);
            painter.drawText(QPointF(x + run.rect.left(), marquee.rect.top() + run.baseline), run.text);
        }
        painter.restore();
    }
}

void TWebBrowser::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    refreshView(false);
}

void TWebBrowser::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The size may have changed while the view was hidden.
    refreshView(m_impl->viewStale);
}

void TWebBrowser::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Nothing scrolls while nobody can see it; showing the view again restarts the marquees.
    m_impl->marqueeTimer.stop();
}

void TWebBrowser::wheelEvent(QWheelEvent* event)
{
    if (!m_impl->scrollBar->isVisible()) {
        QWidget::wheelEvent(event);
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    m_impl->scrollBar->setValue(m_impl->scrollBar->value() - steps * m_impl->scrollBar->singleStep());
    event->accept();
}
