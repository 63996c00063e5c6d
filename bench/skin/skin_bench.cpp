// Times loading the embedded skins against a bare inflate of the same data, and drawing the window's
// form object at the main window's size. Prints medians in microseconds and the ratio of loading to
// inflating, each measured in the same run: against one bare zlib call (the goal is at most 1.5),
// against the stream decompressor, and against one bare call of the whole-buffer inflater the loader
// itself uses (how much the reading of the content adds to the inflating, which zlib no longer does).
//
// Options: --runs N (timed calls per measurement, default 101), --rounds N (measurements whose ratios
// are reported as a median, default 7). Small numbers keep runs under an instruction counter short.

#include "skin/skin_embedded.h"
#include "skin/skin_source.h"
#include "support/bench_stats.h"

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <libdeflate.h>
#include <vector>
#include <zlib.h>

using lanseek::bench::median;
using lanseek::bench::medianMicros;

using namespace lanseek::skin;

namespace {

// The reference: one call of zlib into a buffer that already has the inflated size, with nothing of
// ours in between.
int bareInflate(const QByteArray& zlib, std::vector<unsigned char>& out)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return Z_MEM_ERROR;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zlib.constData()));
    z.avail_in = uInt(zlib.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return rc;
}

// The whole-buffer inflater alone, into a buffer of the inflated size.
bool bareWholeInflate(libdeflate_decompressor* d, const QByteArray& zlib, std::vector<unsigned char>& out)
{
    size_t produced = 0;
    return libdeflate_zlib_decompress(d, zlib.constData(), size_t(zlib.size()), out.data(), out.size(),
                                      &produced) == LIBDEFLATE_SUCCESS;
}

int option(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int runs = option(argc, argv, "--runs", 101);
    const int rounds = option(argc, argv, "--rounds", 7);

    std::printf("skin load against a bare inflate of its body: medians of %d rounds of %d calls each\n",
                rounds, runs);
    std::printf("%-44s %10s %10s %8s %10s %8s %10s %8s\n", "", "load us", "inflate us", "ratio", "stream us",
                "ratio", "whole us", "ratio");
    libdeflate_decompressor* whole = libdeflate_alloc_decompressor();
    for (int index : {1, 2}) {
        const QByteArray stored = embeddedSkinStream(index);
        // The body after the presence byte and the four-byte magic is the zlib stream itself.
        const QByteArray zlib = stored.mid(5);
        const qsizetype inflatedSize = zlibInflate(zlib).size();
        std::vector<unsigned char> buffer(static_cast<size_t>(inflatedSize));
        int objects = 0;
        std::vector<double> loads, inflates, ratios, streams, streamRatios, wholes, wholeRatios;
        // Each round measures both, one right after the other, so that a busy spell of the machine
        // touches both sides of a ratio rather than one.
        for (int round = 0; round < rounds; ++round) {
            const double inflate = medianMicros(runs, [&] {
                if (bareInflate(zlib, buffer) != Z_STREAM_END)
                    std::abort();
            });
            const double load = medianMicros(runs, [&] {
                TSeSkinSource source;
                source.loadStoredForm(stored);
                objects = source.objectCount();
            });
            // The second reference: the stream decompressor, which inflates through 8192-byte steps the
            // way the stream classes always have. It is the reference older figures were taken against.
            const double stream = medianMicros(runs, [&] { (void)zlibInflate(zlib); });
            const double wholeInflate = medianMicros(runs, [&] {
                if (!bareWholeInflate(whole, zlib, buffer))
                    std::abort();
            });
            wholes.push_back(wholeInflate);
            wholeRatios.push_back(load / wholeInflate);
            inflates.push_back(inflate);
            loads.push_back(load);
            ratios.push_back(load / inflate);
            streams.push_back(stream);
            streamRatios.push_back(load / stream);
        }
        char label[64];
        std::snprintf(label, sizeof label, "engine %d (%lld -> %lld bytes, %d objects)", index,
                      static_cast<long long>(stored.size()), static_cast<long long>(inflatedSize), objects);
        std::printf("%-44s %10.0f %10.0f %8.2f %10.0f %8.2f %10.0f %8.2f\n", label, median(loads),
                    median(inflates), median(ratios), median(streams), median(streamRatios), median(wholes),
                    median(wholeRatios));
        std::printf("%-44s %10s %10s %8.2f .. %.2f\n", "  ratio of each round, lowest .. highest", "", "",
                    *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()));
    }

    libdeflate_free_decompressor(whole);

    TSeSkinSource source;
    source.loadStoredForm(embeddedSkinStream(1));
    auto form = source.formObject()->createCopy();
    form->setBounds(0, 0, 696, 604);
    form->setActive(true);
    if (TSeSkinObject* title = form->findObjectByKind(skTitle))
        title->setText(QStringLiteral("聆澜"));
    TSeBitmap target(696, 604);
    const double draw = medianMicros(runs, [&] {
        target.fill(TSeBitmap::kKey);
        form->draw(TSeCanvas(&target));
    });
    const double region = medianMicros(runs, [&] { (void)form->createRegion(); });
    std::printf("draw Form at 696 x 604 (median us)  %8.0f\n", draw);
    std::printf("region of Form at 696 x 604 (us)    %8.0f\n", region);
    return 0;
}
