#pragma once

// Owning handles for the GStreamer and GLib objects the engine holds: each releases its object the
// way its library requires, so no code path frees one by hand.

#include <gst/gst.h>

#include <memory>

namespace lanseek::platform::gst {

// Releases an object through its library's release function; a null handle releases nothing.
template <class T, void (*kRelease)(T*)> struct Release
{
    void operator()(T* object) const
    {
        if (object)
            kRelease(object);
    }
};
using ObjectUnref = Release<void, gst_object_unref>;
using MessageUnref = Release<GstMessage, gst_message_unref>;
using TagListUnref = Release<GstTagList, gst_tag_list_unref>;
using ErrorFree = Release<GError, g_error_free>;
struct Free
{
    void operator()(gpointer memory) const { g_free(memory); }
};

using ElementPtr = std::unique_ptr<GstElement, ObjectUnref>;
using BusPtr = std::unique_ptr<GstBus, ObjectUnref>;
using PadPtr = std::unique_ptr<GstPad, ObjectUnref>;
using MessagePtr = std::unique_ptr<GstMessage, MessageUnref>;
using TagListPtr = std::unique_ptr<GstTagList, TagListUnref>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;
using CharPtr = std::unique_ptr<gchar, Free>;

// An out-parameter adapter for the C calls that hand over ownership through a pointer to a pointer:
// `gst_message_parse_error(m, out(error), out(debug));` fills the handles when the full expression
// ends, so a handle filled this way is tested in the next statement, never in the same one.
template <typename Handle> class Out
{
public:
    explicit Out(Handle& handle) : m_handle(handle) {}
    ~Out() { m_handle.reset(m_raw); }
    Out(const Out&) = delete;
    Out& operator=(const Out&) = delete;
    operator typename Handle::pointer *() { return &m_raw; }

private:
    Handle& m_handle;
    typename Handle::pointer m_raw = nullptr;
};

template <typename Handle> Out<Handle> out(Handle& handle)
{
    return Out<Handle>(handle);
}

} // namespace lanseek::platform::gst
