#include "platform/media/media_player_control.h"

#include "platform/media/media_source.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace lanseek::platform {

MediaPlayerControl::MediaPlayerControl(QWidget* parent) : QWidget(parent)
{
    buildUi();
    connect(&m_pipeline, &MediaPipeline::itemChanged, this, [this](int index) {
        updateTitleLabel();
        emit itemChanged(index);
    });
    connect(&m_pipeline, &MediaPipeline::stateChanged, this, [this](State state) {
        updateButtons();
        updatePosition();
        updateTitleLabel();
        emit stateChanged(state);
    });
    connect(&m_pipeline, &MediaPipeline::errorOccurred, this, [this](const QString& message) {
        updateTitleLabel();
        emit errorOccurred(message);
    });
    connect(&m_pipeline, &MediaPipeline::firstBufferReached, this, &MediaPlayerControl::firstBufferReached);
    connect(&m_pipeline, &MediaPipeline::positionChanged, this, &MediaPlayerControl::updatePosition);
    connect(&m_pipeline, &MediaPipeline::durationChanged, this, &MediaPlayerControl::updatePosition);
    connect(&m_pipeline, &MediaPipeline::statusChanged, this, [this] {
        updateStatus();
        updateTitleLabel();
    });
    connect(&m_pipeline, &MediaPipeline::titleChanged, this, &MediaPlayerControl::updateTitleLabel);
}

MediaPlayerControl::~MediaPlayerControl() = default;

MediaPlayerControl* MediaPlayerControl::fromObjectParams(const ObjectParams& params, QWidget* parent)
{
    auto* control = new MediaPlayerControl(parent);
    control->applySettings(playerObjectSettings(params));
    return control;
}

void MediaPlayerControl::applySettings(const PlayerObjectSettings& settings)
{
    setStatusBarVisible(settings.showStatusBar);
    setSource(settings.source);
    if (settings.autoStart)
        m_pipeline.playSoon();
}

void MediaPlayerControl::buildUi()
{
    m_playButton = new QToolButton(this);
    m_playButton->setAutoRaise(true);
    m_stopButton = new QToolButton(this);
    m_stopButton->setAutoRaise(true);
    m_stopButton->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    m_stopButton->setText(QStringLiteral("停止"));
    m_stopButton->setToolTip(QStringLiteral("停止"));
    m_stopButton->setAccessibleName(QStringLiteral("停止"));

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setAccessibleName(QStringLiteral("播放进度"));
    m_slider->setRange(0, 0);
    m_slider->setSingleStep(5000);
    m_slider->setPageStep(30000);
    m_slider->setEnabled(false);

    m_timeLabel = new QLabel(this);
    m_timeLabel->setAccessibleName(QStringLiteral("播放时间"));
    m_titleLabel = new QLabel(this);
    m_titleLabel->setAccessibleName(QStringLiteral("当前曲目"));
    m_titleLabel->setMinimumWidth(1);
    m_titleLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setAccessibleName(QStringLiteral("状态"));
    m_statusLabel->setVisible(false);

    auto* controls = new QHBoxLayout;
    controls->setSpacing(2);
    controls->addWidget(m_playButton);
    controls->addWidget(m_stopButton);
    controls->addWidget(m_slider, 1);
    controls->addWidget(m_timeLabel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    layout->addLayout(controls);
    layout->addWidget(m_titleLabel);
    layout->addWidget(m_statusLabel);

    connect(m_playButton, &QToolButton::clicked, this, [this] {
        if (m_pipeline.isRunning())
            pause();
        else
            play();
    });
    connect(m_stopButton, &QToolButton::clicked, this, &MediaPlayerControl::stop);
    connect(m_slider, &QSlider::sliderPressed, this, [this] { m_userSeeking = true; });
    connect(m_slider, &QSlider::sliderMoved, this, [this](int value) {
        m_timeLabel->setText(formatPlayTime(value) + QStringLiteral(" / ") +
                             formatPlayTime(m_pipeline.durationMs()));
    });
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        m_userSeeking = false;
        seek(m_slider->value());
    });
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        // Dragging seeks once on release; clicks on the groove and keys seek at once.
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            seek(m_slider->sliderPosition());
    });

    updateButtons();
    updatePosition();
    updateStatus();
    updateTitleLabel();
}

void MediaPlayerControl::setSource(const QString& value)
{
    m_pipeline.setSource(value);
    updateTitleLabel();
}

QString MediaPlayerControl::source() const
{
    return m_pipeline.source();
}

QUrl MediaPlayerControl::sourceUrl() const
{
    return m_pipeline.sourceUrl();
}

void MediaPlayerControl::setStatusBarVisible(bool visible)
{
    m_statusBarVisible = visible;
    m_statusLabel->setVisible(visible);
    updateTitleLabel();
}

bool MediaPlayerControl::isStatusBarVisible() const
{
    return m_statusBarVisible;
}

void MediaPlayerControl::setAudioSink(const QString& description)
{
    m_pipeline.setAudioSink(description);
}

void MediaPlayerControl::play()
{
    m_pipeline.play();
    updateButtons();
}

void MediaPlayerControl::pause()
{
    m_pipeline.pause();
    updateButtons();
}

void MediaPlayerControl::stop()
{
    m_pipeline.stop();
    updateButtons();
}

void MediaPlayerControl::seek(qint64 positionMs)
{
    m_pipeline.seek(positionMs);
}

void MediaPlayerControl::updatePosition()
{
    const bool active = m_pipeline.state() != State::Stopped && m_pipeline.currentIndex() >= 0;
    const qint64 total = active ? m_pipeline.durationMs() : -1;
    const qint64 position = active ? m_pipeline.positionMs() : 0;
    if (!m_userSeeking) {
        const bool seekable = total > 0;
        m_slider->setEnabled(seekable);
        m_slider->setRange(0, seekable ? int(std::min<qint64>(total, INT_MAX)) : 0);
        m_slider->setValue(int(std::min<qint64>(position, INT_MAX)));
    }
    m_timeLabel->setText(formatPlayTime(position) + QStringLiteral(" / ") +
                         formatPlayTime(total > 0 ? total : (active ? -1 : 0)));
}

void MediaPlayerControl::updateButtons()
{
    const bool running = m_pipeline.isRunning();
    const QString text = running ? QStringLiteral("暂停") : QStringLiteral("播放");
    m_playButton->setIcon(style()->standardIcon(running ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playButton->setText(text);
    m_playButton->setToolTip(text);
    m_playButton->setAccessibleName(text);
    m_stopButton->setEnabled(m_pipeline.state() != State::Stopped);
}

void MediaPlayerControl::updateStatus()
{
    const QString text = m_pipeline.statusText();
    m_statusLabel->setText(text);
    m_statusLabel->setToolTip(text);
}

void MediaPlayerControl::updateTitleLabel()
{
    QString text;
    if (!m_statusBarVisible && m_pipeline.state() == State::Stopped && !m_pipeline.lastError().isEmpty())
        text = m_pipeline.lastError(); // without a status line an error would otherwise go unseen
    else if (!m_pipeline.title().isEmpty())
        text = m_pipeline.title();
    else if (!m_pipeline.currentUrl().isEmpty())
        text = displayAddress(m_pipeline.currentUrl());
    else if (!m_pipeline.sourceUrl().isEmpty())
        text = displayAddress(m_pipeline.sourceUrl());
    m_titleLabel->setToolTip(text);
    m_titleLabel->setText(
        m_titleLabel->fontMetrics().elidedText(text, Qt::ElideMiddle, std::max(1, m_titleLabel->width())));
}

void MediaPlayerControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateTitleLabel();
}

QString MediaPlayerControl::titleText() const
{
    return m_titleLabel->toolTip();
}

} // namespace lanseek::platform
