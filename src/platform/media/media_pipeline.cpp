#include "platform/media/media_pipeline.h"

#include "platform/media/gst_handles.h"
#include "platform/media/http_probe.h"
#include "platform/media/media_engine.h"
#include "platform/media/media_source.h"
#include "platform/media/play_failure.h"
#include "platform/media/playlist_loader.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace lanseek::platform {

namespace {

// playbin's "flags": we only ever play audio, so video and subtitles are never decoded and no
// video window can appear.
constexpr guint kPlayFlagVideo = 1u << 0;
constexpr guint kPlayFlagText = 1u << 2;

constexpr int kPollMs = 200;

// The network sources report the status of their request in an element message of this name.
constexpr char kHttpHeaders[] = "http-headers";

std::optional<int> httpStatusField(const GstStructure* structure)
{
    if (!structure)
        return std::nullopt;
    const GValue* value = gst_structure_get_value(structure, "http-status-code");
    if (!value)
        return std::nullopt;
    if (G_VALUE_HOLDS_UINT(value))
        return int(g_value_get_uint(value));
    if (G_VALUE_HOLDS_INT(value))
        return g_value_get_int(value);
    return std::nullopt;
}

// The element that reads the item: the file or network source playbin made for its address.
bool isSourceElement(GstObject* object)
{
    return object && GST_IS_URI_HANDLER(object) &&
           gst_uri_handler_get_uri_type(GST_URI_HANDLER(object)) == GST_URI_SRC;
}

// Runs `work` on a short-lived helper thread and hands its result to `receive` on the UI thread,
// unless `owner` is gone by then.
template <typename Work, typename Receive> void runOnHelper(QObject* owner, Work work, Receive receive)
{
    const QPointer<QObject> guard(owner);
    std::thread([guard, work = std::move(work), receive = std::move(receive)]() mutable {
        auto result = work();
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [guard, receive = std::move(receive), result = std::move(result)]() mutable {
                if (guard)
                    receive(std::move(result));
            },
            Qt::QueuedConnection);
    }).detach();
}

} // namespace

struct MediaPipeline::Impl
{
    explicit Impl(MediaPipeline* owner) : q(owner) {}

    MediaPipeline* q;
    gst::ElementPtr pipeline;
    gst::BusPtr bus;
    bool pipelineFailed = false;
    QTimer pollTimer;

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

    // A failing item: its error messages are gathered until its streams have stopped, then the
    // failure is told from all of them (and, for a web item, from a request of our own).
    bool failing = false;
    FailureEvidence evidence;
    std::optional<int> reportedHttpStatus;
    std::shared_ptr<std::atomic<bool>> probeCancel;

    QString status = QStringLiteral("已停止");
    QString title;
    QString lastError;
    qint64 lastPosition = 0;
    qint64 duration = -1;

    QString sinkDescription;
    bool sinkDirty = true;
    double volume = 1.0;

    static GstBusSyncReply onBusSync(GstBus* bus, GstMessage* message, gpointer data);
    static GstPadProbeReturn onSinkBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data);

    void handleMessage(GstMessage* message);
    void handleError(GstMessage* message);
    void decideFailure();
    void finishFailure(PlayFailure failure);

    bool ensurePipeline();
    void applySink();
    void startList();
    void onListLoaded(int loadGeneration, LoadedPlaylist list);
    void startItem(int itemIndex);
    QString runningStatus() const;
    void failItem(const QString& message);
    void finishList(const QString& text);
    void setState(State newState);
    void setStatus(const QString& text);
    void setTitle(const QString& text);
    void reportError(const QString& message);
    void refreshPosition();
    QUrl itemUrl() const
    {
        return index >= 0 && index < int(items.size()) ? items[size_t(index)].url : QUrl();
    }

    void cancelList()
    {
        if (listCancel)
            listCancel->store(true);
        listCancel.reset();
        ++listGeneration;
    }
    void cancelFailure()
    {
        if (probeCancel)
            probeCancel->store(true);
        probeCancel.reset();
        failing = false;
        evidence = {};
        reportedHttpStatus.reset();
    }
    // Stops every stream of the pipeline; afterwards no message of the old item can be posted.
    void halt(GstState target)
    {
        if (pipeline)
            gst_element_set_state(pipeline.get(), target);
        generation.fetch_add(1);
        probeArmed.store(false);
        cancelFailure();
    }
};

GstBusSyncReply MediaPipeline::Impl::onBusSync(GstBus*, GstMessage* message, gpointer data)
{
    auto* self = static_cast<MediaPipeline*>(data);
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
    case GST_MESSAGE_ELEMENT:
        if (!gst_message_has_name(message, kHttpHeaders))
            return GST_BUS_DROP;
        break;
    default:
        return GST_BUS_DROP;
    }
    const int generation = self->m_impl->generation.load();
    const std::shared_ptr<GstMessage> held(gst::MessagePtr(gst_message_ref(message)));
    QMetaObject::invokeMethod(
        self,
        [self, generation, held] {
            if (generation == self->m_impl->generation.load())
                self->m_impl->handleMessage(held.get());
        },
        Qt::QueuedConnection);
    return GST_BUS_DROP;
}

GstPadProbeReturn MediaPipeline::Impl::onSinkBuffer(GstPad*, GstPadProbeInfo*, gpointer data)
{
    auto* self = static_cast<MediaPipeline*>(data);
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

void MediaPipeline::Impl::handleMessage(GstMessage* message)
{
    // While a failing item is wound down only its reports of what went wrong count.
    if (failing && GST_MESSAGE_TYPE(message) != GST_MESSAGE_ERROR &&
        GST_MESSAGE_TYPE(message) != GST_MESSAGE_ELEMENT)
        return;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED: {
        GstState oldState, newState, pending;
        gst_message_parse_state_changed(message, &oldState, &newState, &pending);
        if (newState == GST_STATE_PLAYING) {
            setState(State::Playing);
            if (!buffering)
                setStatus(QStringLiteral("正在播放"));
        } else if (newState == GST_STATE_PAUSED && wantPaused) {
            setState(State::Paused);
            setStatus(QStringLiteral("已暂停"));
        }
        refreshPosition();
        break;
    }
    case GST_MESSAGE_BUFFERING: {
        gint percent = 0;
        gst_message_parse_buffering(message, &percent);
        // Playing on while the buffer runs dry only stutters: once an item plays, hold it in pause
        // until the buffer is full again, unless the user paused it anyway. While an item is still
        // starting the pipeline waits for data by itself, and changing its state in the middle of
        // that start can leave it stuck short of playing, so then only the status follows.
        const bool started = state == State::Playing || state == State::Paused;
        if (percent < 100) {
            if (started && !buffering && !wantPaused)
                gst_element_set_state(pipeline.get(), GST_STATE_PAUSED);
            buffering = true;
            setStatus(QStringLiteral("缓冲 %1%").arg(percent));
        } else if (buffering) {
            buffering = false;
            if (started && !wantPaused)
                gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
            setStatus(runningStatus());
        }
        break;
    }
    case GST_MESSAGE_ASYNC_DONE:
        // A finished preroll or seek: make sure the pipeline goes on to play when it should.
        if (!wantPaused && !(buffering && state == State::Playing)) {
            GstState current = GST_STATE_VOID_PENDING;
            gst_element_get_state(pipeline.get(), &current, nullptr, 0);
            if (current != GST_STATE_PLAYING)
                gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
        }
        refreshPosition();
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        refreshPosition();
        break;
    case GST_MESSAGE_TAG: {
        gst::TagListPtr tags;
        gst_message_parse_tag(message, gst::out(tags));
        if (!tags)
            break;
        gst::CharPtr text;
        gst_tag_list_get_string(tags.get(), GST_TAG_TITLE, gst::out(text));
        if (text) {
            const QString t = QString::fromUtf8(text.get()).trimmed();
            if (!t.isEmpty())
                setTitle(t);
        }
        break;
    }
    case GST_MESSAGE_ELEMENT:
        if (const std::optional<int> reported = httpStatusField(gst_message_get_structure(message)))
            reportedHttpStatus = reported;
        break;
    case GST_MESSAGE_ERROR:
        handleError(message);
        break;
    case GST_MESSAGE_EOS: {
        // The fallbacks of an item that played are not needed.
        size_t next = size_t(index) + 1;
        while (next < items.size() && items[next].isAlternative)
            ++next;
        if (next < items.size())
            startItem(int(next));
        else
            finishList(QStringLiteral("已停止"));
        break;
    }
    default:
        break;
    }
}

void MediaPipeline::Impl::handleError(GstMessage* message)
{
    gst::ErrorPtr error;
    gst_message_parse_error(message, gst::out(error), nullptr);
    ItemError item;
    if (error)
        item.kind = errorKindOf(error->domain, error->code);
    item.fromSource = isSourceElement(GST_MESSAGE_SRC(message));
    const GstStructure* details = nullptr;
    gst_message_parse_error_details(message, &details);
    item.httpStatus = httpStatusField(details);
    evidence.errors.push_back(item);
    if (failing)
        return;
    // One failure usually brings several messages (the source's, then those of the elements that
    // starved behind it). Stopping the streams joins the threads that post them, so every message
    // of this item is queued before the decision below.
    failing = true;
    if (pipeline)
        gst_element_set_state(pipeline.get(), GST_STATE_READY);
    const int current = generation.load();
    QMetaObject::invokeMethod(
        q,
        [this, current] {
            if (current == generation.load() && failing)
                decideFailure();
        },
        Qt::QueuedConnection);
}

void MediaPipeline::Impl::decideFailure()
{
    const QUrl url = itemUrl();
    evidence.network = !url.isLocalFile();
    evidence.reportedHttpStatus = reportedHttpStatus;
    if (const std::optional<PlayFailure> failure = classifyFailure(evidence)) {
        finishFailure(*failure);
        return;
    }
    if (!canProbe(url)) {
        finishFailure(classifyFailure(evidence, ProbeResult{}));
        return;
    }
    // The source did not say why: ask the server ourselves.
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    probeCancel = cancel;
    const int current = generation.load();
    runOnHelper(
        q, [url, cancel] { return probeHttp(url, cancel.get()); },
        [self = q, current, cancel](ProbeResult probe) {
            Impl& d = *self->m_impl;
            if (cancel->load() || current != d.generation.load() || !d.failing)
                return;
            d.probeCancel.reset();
            d.finishFailure(classifyFailure(d.evidence, probe));
        });
}

void MediaPipeline::Impl::finishFailure(PlayFailure failure)
{
    const QString text = failureText(failure, itemUrl());
    cancelFailure();
    failItem(text);
}

bool MediaPipeline::Impl::ensurePipeline()
{
    if (pipeline)
        return true;
    if (pipelineFailed)
        return false;
    initMediaEngine();
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
    g_object_set(pipeline.get(), "volume", volume, nullptr);
    bus.reset(gst_element_get_bus(pipeline.get()));
    gst_bus_set_sync_handler(bus.get(), &Impl::onBusSync, q, nullptr);
    return true;
}

void MediaPipeline::Impl::applySink()
{
    if (!sinkDirty)
        return;
    sinkDirty = false;
    QString description = sinkDescription.trimmed();
    if (description.isEmpty())
        description = qEnvironmentVariable("LANSEEK_AUDIO_SINK").trimmed();
    if (description.isEmpty())
        description = QStringLiteral("autoaudiosink");

    // Held as a plain pointer only while floating: playbin takes that reference below.
    GstElement* sink = nullptr;
    const QByteArray utf8 = description.toUtf8();
    if (description.contains(u'!') || description.contains(u' ')) {
        gst::ErrorPtr error;
        sink = gst_parse_bin_from_description(utf8.constData(), TRUE, gst::out(error));
    } else {
        sink = gst_element_factory_make(utf8.constData(), nullptr);
    }
    if (!sink) {
        reportError(QStringLiteral("无法创建音频输出：%1").arg(description));
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
    const gst::PadPtr pad(gst_element_get_static_pad(sink, "sink"));
    if (pad)
        gst_pad_add_probe(pad.get(),
                          GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                          &Impl::onSinkBuffer, q, nullptr);
    g_object_set(pipeline.get(), "audio-sink", sink, nullptr);
}

void MediaPipeline::Impl::startList()
{
    cancelList();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    listCancel = cancel;
    const int loadGeneration = listGeneration;
    setState(State::Loading);
    setStatus(QStringLiteral("正在读取播放列表"));
    runOnHelper(
        q, [url = sourceUrl, listKind = kind, cancel] { return loadPlaylist(url, listKind, cancel.get()); },
        [self = q, loadGeneration, cancel](LoadedPlaylist list) {
            if (!cancel->load())
                self->m_impl->onListLoaded(loadGeneration, std::move(list));
        });
}

void MediaPipeline::Impl::onListLoaded(int loadGeneration, LoadedPlaylist list)
{
    if (loadGeneration != listGeneration || state != State::Loading)
        return;
    listCancel.reset();
    items = std::move(list.items);
    itemsLoaded = true;
    for (const QString& e : list.errors)
        reportError(e);
    if (items.empty()) {
        finishList(list.errors.isEmpty() ? QStringLiteral("播放列表为空") : list.errors.first());
        if (list.errors.isEmpty())
            reportError(status);
        return;
    }
    startItem(0);
}

void MediaPipeline::Impl::startItem(int itemIndex)
{
    if (!ensurePipeline()) {
        finishList(QStringLiteral("无法创建播放器"));
        reportError(status);
        return;
    }
    const bool sinkChange = sinkDirty;
    halt(sinkChange ? GST_STATE_NULL : GST_STATE_READY);
    applySink();
    index = itemIndex;
    restartFromFirst = false;
    buffering = false;
    duration = -1;
    lastPosition = 0;
    setTitle(QString());
    const QByteArray uri = items[size_t(itemIndex)].url.toEncoded();
    g_object_set(pipeline.get(), "uri", uri.constData(), nullptr);
    probeArmed.store(true);
    setState(State::Loading);
    setStatus(runningStatus());
    emit q->itemChanged(itemIndex);
    // A slot connected to itemChanged may have stopped us or moved on.
    if (index != itemIndex || state != State::Loading)
        return;
    const GstStateChangeReturn rc =
        gst_element_set_state(pipeline.get(), wantPaused ? GST_STATE_PAUSED : GST_STATE_PLAYING);
    if (rc == GST_STATE_CHANGE_FAILURE) {
        // The details normally arrive as an error message, already queued by now, which starts the
        // failure. An element that fails without one must not leave the pipeline waiting forever.
        const int current = generation.load();
        QMetaObject::invokeMethod(
            q,
            [this, current] {
                if (current == generation.load() && state == State::Loading && !failing) {
                    failing = true;
                    decideFailure();
                }
            },
            Qt::QueuedConnection);
        return;
    }
    pollTimer.start();
    refreshPosition();
}

QString MediaPipeline::Impl::runningStatus() const
{
    switch (state) {
    case State::Playing:
        return QStringLiteral("正在播放");
    case State::Paused:
        return QStringLiteral("已暂停");
    case State::Loading:
        return itemUrl().isLocalFile() ? QStringLiteral("正在打开") : QStringLiteral("正在连接");
    case State::Stopped:
        break;
    }
    return QStringLiteral("已停止");
}

void MediaPipeline::Impl::failItem(const QString& message)
{
    reportError(message);
    // A broken item does not end the list: the next one is tried.
    if (index + 1 < int(items.size()))
        startItem(index + 1);
    else
        finishList(message);
}

void MediaPipeline::Impl::finishList(const QString& text)
{
    halt(GST_STATE_NULL);
    cancelList();
    restartFromFirst = true;
    wantPaused = false;
    buffering = false;
    lastPosition = 0;
    pollTimer.stop();
    setState(State::Stopped);
    setStatus(text);
    refreshPosition();
}

void MediaPipeline::Impl::setState(State newState)
{
    if (state == newState)
        return;
    state = newState;
    if (state == State::Stopped)
        pollTimer.stop();
    emit q->stateChanged(state);
}

void MediaPipeline::Impl::setStatus(const QString& text)
{
    status = text;
    emit q->statusChanged(text);
}

void MediaPipeline::Impl::setTitle(const QString& text)
{
    if (title == text)
        return;
    title = text;
    emit q->titleChanged(title);
}

void MediaPipeline::Impl::reportError(const QString& message)
{
    lastError = message;
    if (state == State::Stopped)
        setStatus(message);
    emit q->errorOccurred(message);
}

void MediaPipeline::Impl::refreshPosition()
{
    const qint64 oldDuration = duration;
    if (pipeline && state != State::Stopped && index >= 0 && !failing) {
        gint64 value = 0;
        if (gst_element_query_position(pipeline.get(), GST_FORMAT_TIME, &value) && value >= 0)
            lastPosition = value / GST_MSECOND;
        if (gst_element_query_duration(pipeline.get(), GST_FORMAT_TIME, &value) && value > 0)
            duration = value / GST_MSECOND;
    }
    if (duration != oldDuration)
        emit q->durationChanged(duration);
    emit q->positionChanged(state == State::Stopped ? 0 : lastPosition);
}

MediaPipeline::MediaPipeline(QObject* parent) : QObject(parent), m_impl(std::make_unique<Impl>(this))
{
    m_impl->pollTimer.setInterval(kPollMs);
    connect(&m_impl->pollTimer, &QTimer::timeout, this, [this] { m_impl->refreshPosition(); });
}

MediaPipeline::~MediaPipeline()
{
    m_impl->pollTimer.stop();
    m_impl->cancelList();
    m_impl->cancelFailure();
    if (m_impl->pipeline) {
        // Going to NULL joins every streaming thread, so neither callback can run afterwards;
        // messages already queued for this object are discarded with it.
        gst_element_set_state(m_impl->pipeline.get(), GST_STATE_NULL);
        gst_bus_set_sync_handler(m_impl->bus.get(), nullptr, nullptr, nullptr);
    }
}

void MediaPipeline::setSource(const QString& value)
{
    stop();
    Impl& d = *m_impl;
    d.autoStartPending = false;
    d.source = value;
    d.sourceUrl = mediaUrlFromValue(value);
    // A local file is looked at here (its first few kilobytes) to find a list saved under a name
    // without its extension; web addresses go by their name.
    d.kind = sourceKind(d.sourceUrl);
    d.items.clear();
    d.itemsLoaded = false;
    d.index = -1;
    d.lastError.clear();
    d.setTitle(QString());
    d.setStatus(QStringLiteral("已停止"));
    if (d.kind == PlaylistKind::None && !d.sourceUrl.isEmpty()) {
        d.items.push_back({d.sourceUrl, false});
        d.itemsLoaded = true;
    }
}

QString MediaPipeline::source() const
{
    return m_impl->source;
}

QUrl MediaPipeline::sourceUrl() const
{
    return m_impl->sourceUrl;
}

void MediaPipeline::setAudioSink(const QString& description)
{
    m_impl->sinkDescription = description;
    m_impl->sinkDirty = true;
}

void MediaPipeline::setVolume(double linear)
{
    // Not a number counts as silence rather than reaching the element, which would refuse it.
    const double volume = std::isnan(linear) ? 0.0 : std::clamp(linear, 0.0, kMaximumVolume);
    if (volume == m_impl->volume)
        return;
    m_impl->volume = volume;
    if (m_impl->pipeline)
        g_object_set(m_impl->pipeline.get(), "volume", volume, nullptr);
    emit volumeChanged(volume);
}

double MediaPipeline::volume() const
{
    return m_impl->volume;
}

void MediaPipeline::play()
{
    Impl& d = *m_impl;
    d.autoStartPending = false;
    if (d.state == State::Paused) {
        d.wantPaused = false;
        if (!d.buffering && !d.failing)
            gst_element_set_state(d.pipeline.get(), GST_STATE_PLAYING);
        d.setStatus(d.buffering ? d.status : QStringLiteral("正在播放"));
        return;
    }
    if (d.state == State::Playing)
        return;
    if (d.state == State::Loading) {
        if (d.wantPaused) {
            d.wantPaused = false;
            if (d.pipeline && d.index >= 0 && !d.buffering && !d.failing)
                gst_element_set_state(d.pipeline.get(), GST_STATE_PLAYING);
        }
        return;
    }
    d.wantPaused = false;
    d.lastError.clear();
    if (d.sourceUrl.isEmpty()) {
        d.reportError(QStringLiteral("没有可播放的文件"));
        d.setStatus(d.lastError);
        return;
    }
    // Starting a list over reads it again: the program rewrites its side files before each play.
    if (d.kind != PlaylistKind::None && d.restartFromFirst)
        d.itemsLoaded = false;
    if (!d.itemsLoaded) {
        d.startList();
        return;
    }
    if (d.items.empty()) {
        d.finishList(QStringLiteral("播放列表为空"));
        return;
    }
    const int start = (d.restartFromFirst || d.index < 0 || d.index >= int(d.items.size())) ? 0 : d.index;
    d.startItem(start);
}

void MediaPipeline::pause()
{
    Impl& d = *m_impl;
    d.autoStartPending = false;
    if (d.state == State::Playing) {
        d.wantPaused = true;
        if (!d.failing)
            gst_element_set_state(d.pipeline.get(), GST_STATE_PAUSED);
    } else if (d.state == State::Loading) {
        d.wantPaused = true;
        if (d.pipeline && d.index >= 0 && !d.failing)
            gst_element_set_state(d.pipeline.get(), GST_STATE_PAUSED);
    }
}

void MediaPipeline::stop()
{
    Impl& d = *m_impl;
    d.autoStartPending = false;
    const bool wasIdle = d.state == State::Stopped;
    d.cancelList();
    d.halt(GST_STATE_NULL);
    d.wantPaused = false;
    d.buffering = false;
    d.lastPosition = 0;
    d.setState(State::Stopped);
    if (!wasIdle || d.lastError.isEmpty())
        d.setStatus(QStringLiteral("已停止"));
    d.refreshPosition();
}

void MediaPipeline::seek(qint64 positionMs)
{
    Impl& d = *m_impl;
    if (!d.pipeline || d.failing || (d.state != State::Playing && d.state != State::Paused))
        return;
    if (positionMs < 0)
        positionMs = 0;
    if (d.duration > 0 && positionMs > d.duration)
        positionMs = d.duration;
    gst_element_seek_simple(d.pipeline.get(), GST_FORMAT_TIME,
                            GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT),
                            positionMs * GST_MSECOND);
    d.lastPosition = positionMs;
    d.refreshPosition();
    emit seeked(positionMs);
}

void MediaPipeline::playSoon()
{
    if (m_impl->source.trimmed().isEmpty())
        return;
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

MediaPipeline::State MediaPipeline::state() const
{
    return m_impl->state;
}

bool MediaPipeline::isRunning() const
{
    return m_impl->state == State::Playing || (m_impl->state == State::Loading && !m_impl->wantPaused);
}

int MediaPipeline::currentIndex() const
{
    return m_impl->index;
}

int MediaPipeline::itemCount() const
{
    return m_impl->itemsLoaded ? int(m_impl->items.size()) : 0;
}

QUrl MediaPipeline::currentUrl() const
{
    return m_impl->itemUrl();
}

qint64 MediaPipeline::positionMs() const
{
    const Impl& d = *m_impl;
    if (d.pipeline && !d.failing && (d.state == State::Playing || d.state == State::Paused)) {
        gint64 value = 0;
        if (gst_element_query_position(d.pipeline.get(), GST_FORMAT_TIME, &value) && value >= 0)
            return value / GST_MSECOND;
    }
    return d.state == State::Stopped ? 0 : d.lastPosition;
}

qint64 MediaPipeline::durationMs() const
{
    return m_impl->state == State::Stopped ? -1 : m_impl->duration;
}

QString MediaPipeline::statusText() const
{
    return m_impl->status;
}

QString MediaPipeline::title() const
{
    return m_impl->title;
}

QString MediaPipeline::lastError() const
{
    return m_impl->lastError;
}

} // namespace lanseek::platform
