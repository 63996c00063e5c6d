#include "platform/media/media_engine.h"

#include <gst/gst.h>

#include <mutex>

namespace lanseek::platform {

namespace {

// The elements every play goes through: the player and the bins it builds, and the audio chain in
// front of the output.
constexpr const char* kPlayerElements[] = {"playbin",  "uridecodebin", "urisourcebin", "decodebin",
                                           "typefind", "queue2",       "audioconvert", "audioresample",
                                           "volume",   "autoaudiosink"};

// What the program's media types arrive as, once typefinding has named them.
constexpr const char* kMediaCaps[] = {
    "application/x-id3",
    "audio/mpeg, mpegversion=(int)1, layer=(int)3",
    "video/x-ms-asf",
    "audio/x-wma, wmaversion=(int)2",
    "application/vnd.rn-realmedia",
    "audio/x-pn-realaudio",
    "audio/x-wav",
};

// Address schemes the player reads from.
constexpr const char* kSchemes[] = {"file", "http"};

void loadFeature(GstPluginFeature* feature)
{
    if (GstPluginFeature* loaded = gst_plugin_feature_load(feature))
        gst_object_unref(loaded);
}

void loadElement(const char* name)
{
    if (GstElementFactory* factory = gst_element_factory_find(name)) {
        loadFeature(GST_PLUGIN_FEATURE(factory));
        gst_object_unref(factory);
    }
}

// The factory decodebin would pick first for `caps` among those of `type`: factory lists come sorted
// by decreasing rank.
void loadBestFor(GstElementFactoryListType type, GstCaps* caps)
{
    GList* all = gst_element_factory_list_get_elements(type, GST_RANK_MARGINAL);
    GList* fitting = gst_element_factory_list_filter(all, caps, GST_PAD_SINK, FALSE);
    if (fitting)
        loadFeature(GST_PLUGIN_FEATURE(fitting->data));
    gst_plugin_feature_list_free(fitting);
    gst_plugin_feature_list_free(all);
}

void loadSourceFor(const char* scheme)
{
    GList* sources = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_SRC, GST_RANK_MARGINAL);
    for (GList* l = sources; l; l = l->next) {
        auto* factory = GST_ELEMENT_FACTORY(l->data);
        if (gst_element_factory_get_uri_type(factory) != GST_URI_SRC)
            continue;
        bool handles = false;
        for (const gchar* const* p = gst_element_factory_get_uri_protocols(factory); p && *p && !handles; ++p)
            handles = g_ascii_strcasecmp(*p, scheme) == 0;
        if (handles) {
            loadFeature(GST_PLUGIN_FEATURE(factory));
            break;
        }
    }
    gst_plugin_feature_list_free(sources);
}

void loadPlayPlugins()
{
    for (const char* name : kPlayerElements)
        loadElement(name);
    for (const char* scheme : kSchemes)
        loadSourceFor(scheme);
    GList* finders = gst_type_find_factory_get_list();
    for (GList* l = finders; l; l = l->next)
        loadFeature(GST_PLUGIN_FEATURE(l->data));
    gst_plugin_feature_list_free(finders);
    for (const char* text : kMediaCaps) {
        GstCaps* caps = gst_caps_from_string(text);
        if (!caps)
            continue;
        loadBestFor(GST_ELEMENT_FACTORY_TYPE_DEMUXER, caps);
        loadBestFor(GST_ELEMENT_FACTORY_TYPE_PARSER, caps);
        loadBestFor(GST_ELEMENT_FACTORY_TYPE_DECODER, caps);
        gst_caps_unref(caps);
    }
    // The output the automatic audio sink would choose.
    GList* sinks = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_SINK | GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO, GST_RANK_PRIMARY);
    if (sinks)
        loadFeature(GST_PLUGIN_FEATURE(sinks->data));
    gst_plugin_feature_list_free(sinks);
}

} // namespace

void initMediaEngine()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Whoever embeds the engine may have initialised GStreamer already, with arguments of its own.
        if (!gst_is_initialized())
            gst_init(nullptr, nullptr);
    });
}

MediaEngineWarmUp::MediaEngineWarmUp()
    : m_thread([this] {
          initMediaEngine();
          loadPlayPlugins();
          m_finished.store(true);
      })
{
}

MediaEngineWarmUp::~MediaEngineWarmUp()
{
    wait();
}

void MediaEngineWarmUp::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool MediaEngineWarmUp::finished() const
{
    return m_finished.load();
}

} // namespace lanseek::platform
