#include "platform/media/media_player_control.h"

#include "platform/media/media_source.h"
#include "platform/media/playlist_loader.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <gst/gst.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace lanseek::platform {

namespace {

void ensureGstInitialized()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gst_is_initialized())
            gst_init(nullptr, nullptr);
    });
}

struct GstObjectUnref
{
    void operator()(gpointer object) const
    {
        if (object)
            gst_object_unref(object);
    }
};
using GstElementPtr = std::unique_ptr<GstElement, GstObjectUnref>;
using GstBusPtr = std::unique_ptr<GstBus, GstObjectUnref>;
using GstPadPtr = std::unique_ptr<GstPad, GstObjectUnref>;

struct GErrorFree
{
    void operator()(GError* e) const { g_error_free(e); }
};
struct GFree
{
    void operator()(gchar* p) const { g_free(p); }
};

// playbin's "flags": we only ever show audio, so video and subtitles are never decoded and no
// video window can appear.
constexpr guint kPlayFlagVideo = 1u << 0;
constexpr guint kPlayFlagText = 1u << 2;

bool isTrue(const QString& value, bool fallback)
{
    const QString v = value.trimmed().toLower();
    if (v == u"true" || v == u"yes" || v == u"on")
        return true;
    if (v == u"false" || v == u"no" || v == u"off")
        return false;
    bool ok = false;
    const long long n = v.toLongLong(&ok);
    return ok ? n != 0 : fallback;
}

QString describeGstError(const GError* error, const QUrl& item)
{
    const QString where = displayAddress(item);
    const bool local = item.isLocalFile();
    if (error->domain == GST_RESOURCE_ERROR) {
        if (error->code == GST_RESOURCE_ERROR_NOT_FOUND)
            return QStringLiteral("找不到文件：%1").arg(where);
        if (error->code == GST_RESOURCE_ERROR_OPEN_READ || error->code == GST_RESOURCE_ERROR_READ ||
            error->code == GST_RESOURCE_ERROR_OPEN_READ_WRITE)
            return local ? QStringLiteral("无法打开文件：%1").arg(where)
                         : QStringLiteral("无法连接：%1").arg(where);
    }
    if ((error->domain == GST_STREAM_ERROR &&
         (error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND || error->code == GST_STREAM_ERROR_WRONG_TYPE ||
          error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND || error->code == GST_STREAM_ERROR_DECODE ||
          error->code == GST_STREAM_ERROR_DEMUX || error->code == GST_STREAM_ERROR_FORMAT)) ||
        (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN))
        return QStringLiteral("无法播放此格式：%1").arg(where);
    return QStringLiteral("播放出错：%1（%2）").arg(where, QString::fromUtf8(error->message));
}

} // namespace

PlayerObjectSettings playerObjectSettings(const ObjectParams& params)
{
    PlayerObjectSettings s;
    for (const auto& [name, value] : params) {
        const QString n = name.trimmed();
        if (n.compare(u"SRC", Qt::CaseInsensitive) == 0 || n.compare(u"fileName", Qt::CaseInsensitive) == 0)
            s.source = value;
        else if (n.compare(u"AUTOSTART", Qt::CaseInsensitive) == 0)
            s.autoStart = isTrue(value, true);
        else if (n.compare(u"ShowStatusBar", Qt::CaseInsensitive) == 0)
            s.showStatusBar = isTrue(value, false);
    }
    return s;
}

QString formatPlayTime(qint64 ms)
{
    if (ms < 0)
        return QStringLiteral("--:--");
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

struct MediaPlayerControl::Impl
{
    GstElementPtr pipeline;
    GstBusPtr bus;
    bool pipelineFailed = false;

    // Read by the bus sync handler on streaming threads; only the UI thread changes it, and only
    // while no stream of the pipeline is running, so every message carries the generation of the
    // item that produced it and stale ones can be recognised on arrival.
    std::atomic<int> generation{0};
    std::atomic<bool> probeArmed{false};

    QString source;
    QUrl sourceUrl;
    PlaylistKind kind = PlaylistKind::None;
    bool itemsLoaded = false;
    std::vector<MediaItem> items;
    int listGeneration = 0;
    std::shared_ptr<std::atomic<bool>> listCancel;

    int index = -1;
    State state = State::Stopped;
    bool wantPaused = false;
    bool buffering = false;
    bool restartFromFirst = false;
    bool autoStartPending = false;
    bool userSeeking = false;

    QString status = QStringLiteral("已停止");
    QString title;
    QString lastError;
    bool statusBarVisible = false;
    qint64 lastPosition = 0;
    qint64 duration = -1;

    QString sinkDescription;
    bool sinkDirty = true;

    static GstBusSyncReply onBusSync(GstBus* bus, GstMessage* message, gpointer data);
    static GstPadProbeReturn onSinkBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data);
    static void handleMessage(MediaPlayerControl* self, GstMessage* message);

    bool ensurePipeline(MediaPlayerControl* self);
    void applySink(MediaPlayerControl* self);
    void cancelList()
    {
        if (listCancel)
            listCancel->store(true);
        listCancel.reset();
        ++listGeneration;
    }
    // Stops every stream of the pipeline; afterwards no message of the old item can be posted.
    void halt(GstState target)
    {
        if (pipeline)
            gst_element_set_state(pipeline.get(), target);
        generation.fetch_add(1);
        probeArmed.store(false);
    }
};

GstBusSyncReply MediaPlayerControl::Impl::onBusSync(GstBus*, GstMessage* message, gpointer data)
{
    auto* self = static_cast<MediaPlayerControl*>(data);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_BUFFERING:
    case GST_MESSAGE_DURATION_CHANGED:
    case GST_MESSAGE_TAG:
    case GST_MESSAGE_ASYNC_DONE:
        break;
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(message) != GST_OBJECT(self->m_impl->pipeline.get()))
            return GST_BUS_DROP;
        break;
    default:
        return GST_BUS_DROP;
    }
    const int generation = self->m_impl->generation.load();
    std::shared_ptr<GstMessage> held(gst_message_ref(message), gst_message_unref);
    QMetaObject::invokeMethod(
        self,
        [self, generation, held] {
            if (generation == self->m_impl->generation.load())
                handleMessage(self, held.get());
        },
        Qt::QueuedConnection);
    return GST_BUS_DROP;
}

GstPadProbeReturn MediaPlayerControl::Impl::onSinkBuffer(GstPad*, GstPadProbeInfo*, gpointer data)
{
    auto* self = static_cast<MediaPlayerControl*>(data);
    if (self->m_impl->probeArmed.exchange(false)) {
        const int generation = self->m_impl->generation.load();
        QMetaObject::invokeMethod(
            self,
            [self, generation] {
                if (generation == self->m_impl->generation.load())
                    emit self->firstBufferReached();
            },
            Qt::QueuedConnection);
    }
    return GST_PAD_PROBE_OK;
}

void MediaPlayerControl::Impl::handleMessage(MediaPlayerControl* self, GstMessage* message)
{
    Impl& d = *self->m_impl;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED: {
        GstState oldState, newState, pending;
        gst_message_parse_state_changed(message, &oldState, &newState, &pending);
        if (newState == GST_STATE_PLAYING) {
            self->setState(State::Playing);
            if (!d.buffering)
                self->setStatus(QStringLiteral("正在播放"));
        } else if (newState == GST_STATE_PAUSED && d.wantPaused) {
            self->setState(State::Paused);
            self->setStatus(QStringLiteral("已暂停"));
        }
        self->updatePosition();
        break;
    }
    case GST_MESSAGE_BUFFERING: {
        gint percent = 0;
        gst_message_parse_buffering(message, &percent);
        // Playing on while the buffer runs dry only stutters: once an item plays, hold it in pause
        // until the buffer is full again, unless the user paused it anyway. While an item is still
        // starting the pipeline waits for data by itself, and changing its state in the middle of
        // that start can leave it stuck short of playing, so then only the status follows.
        const bool started = d.state == State::Playing || d.state == State::Paused;
        if (percent < 100) {
            if (started && !d.buffering && !d.wantPaused)
                gst_element_set_state(d.pipeline.get(), GST_STATE_PAUSED);
            d.buffering = true;
            self->setStatus(QStringLiteral("缓冲 %1%").arg(percent));
        } else if (d.buffering) {
            d.buffering = false;
            if (started && !d.wantPaused)
                gst_element_set_state(d.pipeline.get(), GST_STATE_PLAYING);
            self->setStatus(self->runningStatus());
        }
        break;
    }
    case GST_MESSAGE_ASYNC_DONE:
        // A finished preroll or seek: make sure the pipeline goes on to play when it should.
        if (!d.wantPaused && !(d.buffering && d.state == State::Playing)) {
            GstState current = GST_STATE_VOID_PENDING;
            gst_element_get_state(d.pipeline.get(), &current, nullptr, 0);
            if (current != GST_STATE_PLAYING)
                gst_element_set_state(d.pipeline.get(), GST_STATE_PLAYING);
        }
        self->updatePosition();
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        self->updatePosition();
        break;
    case GST_MESSAGE_TAG: {
        GstTagList* tags = nullptr;
        gst_message_parse_tag(message, &tags);
        gchar* title = nullptr;
        if (tags && gst_tag_list_get_string(tags, GST_TAG_TITLE, &title) && title) {
            const QString t = QString::fromUtf8(title).trimmed();
            if (!t.isEmpty()) {
                d.title = t;
                self->updateTitleLabel();
            }
        }
        g_free(title);
        if (tags)
            gst_tag_list_unref(tags);
        break;
    }
    case GST_MESSAGE_ERROR: {
        GError* rawError = nullptr;
        gchar* rawDebug = nullptr;
        gst_message_parse_error(message, &rawError, &rawDebug);
        const std::unique_ptr<GError, GErrorFree> error(rawError);
        const std::unique_ptr<gchar, GFree> debug(rawDebug);
        const QUrl item =
            d.index >= 0 && d.index < int(d.items.size()) ? d.items[size_t(d.index)].url : QUrl();
        const QString text = error ? describeGstError(error.get(), item)
                                   : QStringLiteral("播放出错：%1").arg(displayAddress(item));
        self->failItem(text);
        break;
    }
    case GST_MESSAGE_EOS: {
        // The fallbacks of an item that played are not needed.
        size_t next = size_t(d.index) + 1;
        while (next < d.items.size() && d.items[next].isAlternative)
            ++next;
        if (next < d.items.size())
            self->startItem(int(next));
        else
            self->finishList(QStringLiteral("已停止"));
        break;
    }
    default:
        break;
    }
}

bool MediaPlayerControl::Impl::ensurePipeline(MediaPlayerControl* self)
{
    if (pipeline)
        return true;
    if (pipelineFailed)
        return false;
    ensureGstInitialized();
    pipeline.reset(gst_element_factory_make("playbin", nullptr));
    if (!pipeline) {
        pipelineFailed = true;
        return false;
    }
    gst_object_ref_sink(pipeline.get());
    guint flags = 0;
    g_object_get(pipeline.get(), "flags", &flags, nullptr);
    flags &= ~(kPlayFlagVideo | kPlayFlagText);
    g_object_set(pipeline.get(), "flags", flags, nullptr);
    bus.reset(gst_element_get_bus(pipeline.get()));
    gst_bus_set_sync_handler(bus.get(), &Impl::onBusSync, self, nullptr);
    return true;
}

void MediaPlayerControl::Impl::applySink(MediaPlayerControl* self)
{
    if (!sinkDirty)
        return;
    sinkDirty = false;
    QString description = sinkDescription.trimmed();
    if (description.isEmpty())
        description = qEnvironmentVariable("LANSEEK_AUDIO_SINK").trimmed();
    if (description.isEmpty())
        description = QStringLiteral("autoaudiosink");

    GstElement* sink = nullptr;
    const QByteArray utf8 = description.toUtf8();
    if (description.contains(u'!') || description.contains(u' ')) {
        GError* rawError = nullptr;
        sink = gst_parse_bin_from_description(utf8.constData(), TRUE, &rawError);
        if (rawError)
            g_error_free(rawError);
    } else {
        sink = gst_element_factory_make(utf8.constData(), nullptr);
    }
    if (!sink) {
        self->reportError(QStringLiteral("无法创建音频输出：%1").arg(description));
        sink = gst_element_factory_make("autoaudiosink", nullptr);
        if (!sink)
            return;
    }
    // A fake sink left unsynchronised would swallow a whole song at once; clocking it keeps
    // position, end of stream and the item sequence in real time, as with a sound card.
    if (GstElementFactory* factory = gst_element_get_factory(sink)) {
        if (g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "fakesink") == 0)
            g_object_set(sink, "sync", TRUE, nullptr);
    }
    const GstPadPtr pad(gst_element_get_static_pad(sink, "sink"));
    if (pad)
        gst_pad_add_probe(pad.get(),
                          GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                          &Impl::onSinkBuffer, self, nullptr);
    // playbin takes the floating reference.
    g_object_set(pipeline.get(), "audio-sink", sink, nullptr);
}

MediaPlayerControl::MediaPlayerControl(QWidget* parent) : QWidget(parent), m_impl(std::make_unique<Impl>())
{
    buildUi();
}

MediaPlayerControl::~MediaPlayerControl()
{
    m_pollTimer->stop();
    m_impl->cancelList();
    if (m_impl->pipeline) {
        // Going to NULL joins every streaming thread, so neither callback can run afterwards;
        // messages already queued for this object are discarded with it.
        gst_element_set_state(m_impl->pipeline.get(), GST_STATE_NULL);
        gst_bus_set_sync_handler(m_impl->bus.get(), nullptr, nullptr, nullptr);
    }
}

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
    if (settings.autoStart && !m_impl->source.trimmed().isEmpty()) {
        m_impl->autoStartPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_impl->autoStartPending) {
                    m_impl->autoStartPending = false;
                    play();
                }
            },
            Qt::QueuedConnection);
    }
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

    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(200);
    connect(m_pollTimer, &QTimer::timeout, this, &MediaPlayerControl::updatePosition);

    connect(m_playButton, &QToolButton::clicked, this, [this] {
        const bool running =
            m_impl->state == State::Playing || (m_impl->state == State::Loading && !m_impl->wantPaused);
        if (running)
            pause();
        else
            play();
    });
    connect(m_stopButton, &QToolButton::clicked, this, &MediaPlayerControl::stop);
    connect(m_slider, &QSlider::sliderPressed, this, [this] { m_impl->userSeeking = true; });
    connect(m_slider, &QSlider::sliderMoved, this, [this](int value) {
        m_timeLabel->setText(formatPlayTime(value) + QStringLiteral(" / ") +
                             formatPlayTime(m_impl->duration));
    });
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        m_impl->userSeeking = false;
        seek(m_slider->value());
    });
    connect(m_slider, &QSlider::actionTriggered, this, [this](int action) {
        // Dragging seeks once on release; clicks on the groove and keys seek at once.
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            seek(m_slider->sliderPosition());
    });

    updateButtons();
    updatePosition();
    setStatus(m_impl->status);
    updateTitleLabel();
}

void MediaPlayerControl::setSource(const QString& value)
{
    stop();
    m_impl->autoStartPending = false;
    m_impl->source = value;
    m_impl->sourceUrl = mediaUrlFromValue(value);
    m_impl->kind = playlistKindOf(m_impl->sourceUrl);
    m_impl->items.clear();
    m_impl->itemsLoaded = false;
    m_impl->index = -1;
    m_impl->lastError.clear();
    m_impl->title.clear();
    setStatus(QStringLiteral("已停止"));
    if (m_impl->kind == PlaylistKind::None && !m_impl->sourceUrl.isEmpty()) {
        m_impl->items.push_back({m_impl->sourceUrl, false});
        m_impl->itemsLoaded = true;
    }
    updateTitleLabel();
}

QString MediaPlayerControl::source() const
{
    return m_impl->source;
}

QUrl MediaPlayerControl::sourceUrl() const
{
    return m_impl->sourceUrl;
}

void MediaPlayerControl::setStatusBarVisible(bool visible)
{
    m_impl->statusBarVisible = visible;
    m_statusLabel->setVisible(visible);
    updateTitleLabel();
}

bool MediaPlayerControl::isStatusBarVisible() const
{
    return m_impl->statusBarVisible;
}

void MediaPlayerControl::setAudioSink(const QString& description)
{
    m_impl->sinkDescription = description;
    m_impl->sinkDirty = true;
}

void MediaPlayerControl::play()
{
    Impl& d = *m_impl;
    d.autoStartPending = false;
    if (d.state == State::Paused) {
        d.wantPaused = false;
        if (!d.buffering)
            gst_element_set_state(d.pipeline.get(), GST_STATE_PLAYING);
        setStatus(d.buffering ? d.status : QStringLiteral("正在播放"));
        return;
    }
    if (d.state == State::Playing)
        return;
    if (d.state == State::Loading) {
        if (d.wantPaused) {
            d.wantPaused = false;
            if (d.pipeline && d.index >= 0 && !d.buffering)
                gst_element_set_state(d.pipeline.get(), GST_STATE_PLAYING);
        }
        return;
    }
    d.wantPaused = false;
    d.lastError.clear();
    if (d.sourceUrl.isEmpty()) {
        reportError(QStringLiteral("没有可播放的文件"));
        setStatus(d.lastError);
        return;
    }
    // Starting a list over reads it again: the program rewrites its side files before each play.
    if (d.kind != PlaylistKind::None && d.restartFromFirst)
        d.itemsLoaded = false;
    if (!d.itemsLoaded) {
        startList();
        return;
    }
    if (d.items.empty()) {
        finishList(QStringLiteral("播放列表为空"));
        return;
    }
    const int start = (d.restartFromFirst || d.index < 0 || d.index >= int(d.items.size())) ? 0 : d.index;
    startItem(start);
}

void MediaPlayerControl::pause()
{
    Impl& d = *m_impl;
    d.autoStartPending = false;
    if (d.state == State::Playing) {
        d.wantPaused = true;
        gst_element_set_state(d.pipeline.get(), GST_STATE_PAUSED);
    } else if (d.state == State::Loading) {
        d.wantPaused = true;
        if (d.pipeline && d.index >= 0)
            gst_element_set_state(d.pipeline.get(), GST_STATE_PAUSED);
    }
    updateButtons();
}

void MediaPlayerControl::stop()
{
    Impl& d = *m_impl;
    d.autoStartPending = false;
    const bool wasIdle = d.state == State::Stopped;
    d.cancelList();
    d.halt(GST_STATE_NULL);
    d.wantPaused = false;
    d.buffering = false;
    d.lastPosition = 0;
    setState(State::Stopped);
    if (!wasIdle || d.lastError.isEmpty())
        setStatus(QStringLiteral("已停止"));
    updatePosition();
}

void MediaPlayerControl::seek(qint64 positionMs)
{
    Impl& d = *m_impl;
    if (!d.pipeline || (d.state != State::Playing && d.state != State::Paused))
        return;
    if (positionMs < 0)
        positionMs = 0;
    if (d.duration > 0 && positionMs > d.duration)
        positionMs = d.duration;
    gst_element_seek_simple(d.pipeline.get(), GST_FORMAT_TIME,
                            GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                            positionMs * GST_MSECOND);
    d.lastPosition = positionMs;
    updatePosition();
}

void MediaPlayerControl::startList()
{
    Impl& d = *m_impl;
    d.cancelList();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    d.listCancel = cancel;
    const int generation = d.listGeneration;
    setState(State::Loading);
    setStatus(QStringLiteral("正在读取播放列表"));
    const QPointer<MediaPlayerControl> guard(this);
    std::thread([guard, generation, url = d.sourceUrl, kind = d.kind, cancel] {
        LoadedPlaylist list = loadPlaylist(url, kind, cancel.get());
        if (cancel->load())
            return;
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [guard, generation, list] {
                if (guard)
                    guard->onListLoaded(generation, list.items, list.errors);
            },
            Qt::QueuedConnection);
    }).detach();
}

void MediaPlayerControl::onListLoaded(int generation, std::vector<MediaItem> items, QStringList errors)
{
    Impl& d = *m_impl;
    if (generation != d.listGeneration || d.state != State::Loading)
        return;
    d.listCancel.reset();
    d.items = std::move(items);
    d.itemsLoaded = true;
    for (const QString& e : errors)
        reportError(e);
    if (d.items.empty()) {
        finishList(errors.isEmpty() ? QStringLiteral("播放列表为空") : errors.first());
        if (errors.isEmpty())
            reportError(d.status);
        return;
    }
    startItem(0);
}

void MediaPlayerControl::startItem(int index)
{
    Impl& d = *m_impl;
    if (!d.ensurePipeline(this)) {
        finishList(QStringLiteral("无法创建播放器"));
        reportError(d.status);
        return;
    }
    const bool sinkChange = d.sinkDirty;
    d.halt(sinkChange ? GST_STATE_NULL : GST_STATE_READY);
    d.applySink(this);
    d.index = index;
    d.restartFromFirst = false;
    d.buffering = false;
    d.duration = -1;
    d.lastPosition = 0;
    d.title.clear();
    const QUrl& url = d.items[size_t(index)].url;
    const QByteArray uri = url.toEncoded();
    g_object_set(d.pipeline.get(), "uri", uri.constData(), nullptr);
    d.probeArmed.store(true);
    setState(State::Loading);
    setStatus(runningStatus());
    updateTitleLabel();
    emit itemChanged(index);
    // A slot connected to itemChanged may have stopped us or moved on.
    if (d.index != index || d.state != State::Loading)
        return;
    const GstStateChangeReturn rc =
        gst_element_set_state(d.pipeline.get(), d.wantPaused ? GST_STATE_PAUSED : GST_STATE_PLAYING);
    if (rc == GST_STATE_CHANGE_FAILURE) {
        // The details normally arrive as an error message, already queued by now, which moves the
        // list on. An element that fails without one must not leave the control waiting forever.
        const int generation = d.generation.load();
        QMetaObject::invokeMethod(
            this,
            [this, generation, index] {
                if (generation == m_impl->generation.load() && m_impl->state == State::Loading)
                    failItem(
                        QStringLiteral("无法播放：%1").arg(displayAddress(m_impl->items[size_t(index)].url)));
            },
            Qt::QueuedConnection);
        return;
    }
    m_pollTimer->start();
    updatePosition();
}

QString MediaPlayerControl::runningStatus() const
{
    switch (m_impl->state) {
    case State::Playing:
        return QStringLiteral("正在播放");
    case State::Paused:
        return QStringLiteral("已暂停");
    case State::Loading: {
        const bool local = m_impl->index >= 0 && m_impl->index < int(m_impl->items.size()) &&
                           m_impl->items[size_t(m_impl->index)].url.isLocalFile();
        return local ? QStringLiteral("正在打开") : QStringLiteral("正在连接");
    }
    case State::Stopped:
        break;
    }
    return QStringLiteral("已停止");
}

void MediaPlayerControl::failItem(const QString& message)
{
    reportError(message);
    // A broken item does not end the list: the next one is tried.
    if (m_impl->index + 1 < int(m_impl->items.size()))
        startItem(m_impl->index + 1);
    else
        finishList(message);
}

void MediaPlayerControl::finishList(const QString& status)
{
    Impl& d = *m_impl;
    d.halt(GST_STATE_NULL);
    d.cancelList();
    d.restartFromFirst = true;
    d.wantPaused = false;
    d.buffering = false;
    d.lastPosition = 0;
    m_pollTimer->stop();
    setState(State::Stopped);
    setStatus(status);
    updatePosition();
    updateTitleLabel();
}

void MediaPlayerControl::setState(State state)
{
    if (m_impl->state == state) {
        updateButtons();
        return;
    }
    m_impl->state = state;
    if (state == State::Stopped)
        m_pollTimer->stop();
    updateButtons();
    emit stateChanged(state);
}

void MediaPlayerControl::setStatus(const QString& text)
{
    m_impl->status = text;
    m_statusLabel->setText(text);
    m_statusLabel->setToolTip(text);
}

void MediaPlayerControl::reportError(const QString& message)
{
    m_impl->lastError = message;
    if (m_impl->state == State::Stopped)
        setStatus(message);
    updateTitleLabel();
    emit errorOccurred(message);
}

void MediaPlayerControl::updatePosition()
{
    Impl& d = *m_impl;
    const bool active = d.pipeline && d.state != State::Stopped && d.index >= 0;
    if (active) {
        gint64 value = 0;
        if (gst_element_query_position(d.pipeline.get(), GST_FORMAT_TIME, &value) && value >= 0)
            d.lastPosition = value / GST_MSECOND;
        if (gst_element_query_duration(d.pipeline.get(), GST_FORMAT_TIME, &value) && value > 0)
            d.duration = value / GST_MSECOND;
    }
    const qint64 total = active ? d.duration : -1;
    const qint64 position = active ? d.lastPosition : 0;
    if (!d.userSeeking) {
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
    const bool running =
        m_impl->state == State::Playing || (m_impl->state == State::Loading && !m_impl->wantPaused);
    const QString text = running ? QStringLiteral("暂停") : QStringLiteral("播放");
    m_playButton->setIcon(style()->standardIcon(running ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playButton->setText(text);
    m_playButton->setToolTip(text);
    m_playButton->setAccessibleName(text);
    m_stopButton->setEnabled(m_impl->state != State::Stopped);
}

void MediaPlayerControl::updateTitleLabel()
{
    const Impl& d = *m_impl;
    QString text;
    if (!d.statusBarVisible && d.state == State::Stopped && !d.lastError.isEmpty())
        text = d.lastError; // without a status line an error would otherwise go unseen
    else if (!d.title.isEmpty())
        text = d.title;
    else if (d.index >= 0 && d.index < int(d.items.size()))
        text = displayAddress(d.items[size_t(d.index)].url);
    else if (!d.sourceUrl.isEmpty())
        text = displayAddress(d.sourceUrl);
    m_titleLabel->setToolTip(text);
    m_titleLabel->setText(
        m_titleLabel->fontMetrics().elidedText(text, Qt::ElideMiddle, std::max(1, m_titleLabel->width())));
}

void MediaPlayerControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateTitleLabel();
}

MediaPlayerControl::State MediaPlayerControl::state() const
{
    return m_impl->state;
}

int MediaPlayerControl::currentIndex() const
{
    return m_impl->index;
}

int MediaPlayerControl::itemCount() const
{
    return m_impl->itemsLoaded ? int(m_impl->items.size()) : 0;
}

qint64 MediaPlayerControl::positionMs() const
{
    const Impl& d = *m_impl;
    if (d.pipeline && (d.state == State::Playing || d.state == State::Paused)) {
        gint64 value = 0;
        if (gst_element_query_position(d.pipeline.get(), GST_FORMAT_TIME, &value) && value >= 0)
            return value / GST_MSECOND;
    }
    return d.state == State::Stopped ? 0 : d.lastPosition;
}

qint64 MediaPlayerControl::durationMs() const
{
    return m_impl->state == State::Stopped ? -1 : m_impl->duration;
}

QString MediaPlayerControl::statusText() const
{
    return m_impl->status;
}

QString MediaPlayerControl::titleText() const
{
    return m_titleLabel->toolTip();
}

} // namespace lanseek::platform
