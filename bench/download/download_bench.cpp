// Downloading against the tools people use today, on the same machine, server and files in one run.
//
// Three 16 MB files are served from 127.0.0.1, once with every connection held to 2 MB/s and once
// unthrottled; then twelve files of 1 MiB go through the three file slots with every connection held to
// 2 MB/s, which weighs what each file costs besides its bytes (the probe, the connects, the slot waits and
// the reports). Each contender runs as a child process so that its CPU time and peak memory can be read
// from the kernel alone:
//   lanseek  the real queue: an offscreen main window whose download list holds the songs; "开始下载" is
//            pressed and the run is timed from the press until the last worker has ended and every
//            in-progress row shows its final state;
//   aria2c   -x5 -s5 -j3 (with -k1M for the large files), three files at a time;
//   curl     one connection per file, the files one after another.
// Every output file is compared with its source, and lanseek's in-progress list and log with what is on
// disk (every row "下载已经完成", one report per file). Usage: bench_download [REPEATS] (medians over
// REPEATS runs; the throttled case of large files runs once). BENCH_CHILD_STDERR=1 keeps the children's
// error output on the terminal.
//
// The lanseek child's CPU time and peak memory include the program's start-up (Qt, the main window);
// its time is the run of the queue itself, and the time with start-up is printed beside it.

#include "app/application.h"
#include "app/download/download_controller.h"
#include "app/mp3.h"
#include "bench_server.h"
#include "platform/net/anti_freeze.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int64_t kThrottle = 2 * 1024 * 1024;

// The run asks nothing; every dialog is answered "no" and leaves a trace on standard error.
class SilentDialogs : public lanseek::platform::Dialogs
{
public:
    void message(QWidget*, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    bool askYesNo(QWidget*, const QString&) override { return false; }
    std::optional<QString> openFile(QWidget*, const lanseek::platform::FileDialogRequest&) override
    {
        return {};
    }
    std::optional<QString> saveFile(QWidget*, const lanseek::platform::FileDialogRequest&) override
    {
        return {};
    }
    std::optional<QString> chooseFolder(QWidget*, const QString&) override { return {}; }
    void exitProcess(int code) override { std::exit(code); }
};

long procStatusKb(const std::string& path, const char* field)
{
    std::ifstream status(path);
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, n, field) == 0)
            return std::strtol(line.c_str() + n + 1, nullptr, 10);
    }
    return -1;
}

long statusKb(const char* field);

// ---- The queue, in the child process -------------------------------------------------------------------

int runQueue(int argc, char** argv)
{
    // bench_download --queue OUTDIR URL...
    qputenv("QT_QPA_PLATFORM", "offscreen");
    curl_global_init(CURL_GLOBAL_DEFAULT);
    int qtArgc = 1;
    LanseekApplication app(qtArgc, argv);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir programFolder;
    SilentDialogs dialogs;
    TForm1Options options;
    options.dialogs = &dialogs;
    options.programFolder = programFolder.path();
    options.screenSize = QSize(1024, 768);
    options.service.base = QStringLiteral("http://127.0.0.1:9");
    auto form = std::make_unique<TForm1>(options);
    form->folders().setMusicFolder(out + QLatin1Char('/'));
    for (int i = 3; i < argc; ++i) {
        const QString name = QStringLiteral("song%1").arg(i - 2);
        form->downloadlistview->appendRow(
            {QString::number(i - 2),
             0,
             {name, QString::fromLocal8Bit(argv[i]), QString(), QStringLiteral("mp3"),
              form->folders().musicFolder() + name + QStringLiteral(".mp3")}});
    }
    const long baseline = statusKb("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    form->downbtnClick();
    const auto settled = [&] {
        // The run advances on queued events: it is over once its last song has started and every worker
        // has ended.
        if (form->downloads().state().run.downloadRunWaiting || form->downloads().state().activeWorkers != 0)
            return false;
        for (int r = 0; r < form->downloadnow->Count(); ++r) {
            const QString state = form->downloadnow->subItem(r, 0);
            if (state != QStringLiteral("下载已经完成") && state != QStringLiteral("下载不完整"))
                return false;
        }
        return true;
    };
    lanseek::platform::waitUntil(settled, 600000, 5);
    const double seconds = clock.nsecsElapsed() / 1e9;
    // What the window says must match the files: every row done and one "下载完毕!" report per file.
    int done = 0;
    for (int r = 0; r < form->downloadnow->Count(); ++r)
        done += form->downloadnow->subItem(r, 0) == QStringLiteral("下载已经完成") ? 1 : 0;
    int reports = 0;
    for (const QString& line : form->downinimemo->Lines())
        reports += line.endsWith(QStringLiteral("下载完毕!")) || line.endsWith(QStringLiteral("下载不完整!"))
                       ? 1
                       : 0;
    std::printf("queue_seconds=%.4f baseline_kb=%ld hwm_kb=%ld done=%d reports=%d\n", seconds, baseline,
                statusKb("VmHWM:"), done, reports);
    std::fflush(stdout);
    form.reset();
    curl_global_cleanup();
    return 0;
}

// ---- The parent: server, children, figures -------------------------------------------------------------

struct Outcome
{
    bool ran = false;
    bool identical = false;
    double wall = 0;    // seconds, the whole child process
    double cpu = 0;     // seconds, user + system of the child
    long maxRssKb = 0;  // peak resident set of the child
    double inner = 0;   // lanseek: press to last worker end
    long growthKb = -1; // lanseek: peak minus resident set before the press
    // lanseek: every in-progress row "下载已经完成" and exactly one report per file.
    std::optional<bool> reportsRight;
};

long statusKb(const char* field)
{
    return procStatusKb("/proc/self/status", field);
}

std::optional<std::string> findTool(const char* name)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = dir + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

// Runs argv as a child, stdout to a pipe that is returned in `output`.
Outcome runChild(const std::vector<std::string>& args, std::string& output)
{
    Outcome outcome;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return outcome;
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Closed by a successful exec: until then the child is a copy of this process.
    int execFds[2];
    if (::pipe2(execFds, O_CLOEXEC) != 0)
        return outcome;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(execFds[0]);
        ::dup2(pipeFds[1], 1);
        const int devnull = ::open("/dev/null", O_WRONLY);
        if (!std::getenv("BENCH_CHILD_STDERR"))
            ::dup2(devnull, 2);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    ::close(execFds[1]);
    char ignored;
    while (::read(execFds[0], &ignored, 1) > 0) {
    }
    ::close(execFds[0]);
    // The kernel's maximum resident set of a child also counts the copy of this (large) process that the
    // fork made before the exec, so the child's own high-water mark is read from /proc while it runs.
    const std::string statusPath = "/proc/" + std::to_string(pid) + "/status";
    char buffer[4096];
    for (;;) {
        pollfd waiting{pipeFds[0], POLLIN, 0};
        const int ready = ::poll(&waiting, 1, 10);
        if (const long hwm = procStatusKb(statusPath, "VmHWM:"); hwm > outcome.maxRssKb)
            outcome.maxRssKb = hwm;
        if (ready > 0) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            output.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    outcome.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                  usage.ru_stime.tv_usec / 1e6;
    outcome.ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

bool sameAs(const QString& path, const std::string& body)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != static_cast<qint64>(body.size()))
        return false;
    const QByteArray got = file.readAll();
    return std::memcmp(got.constData(), body.data(), body.size()) == 0;
}

struct Case
{
    const char* title;
    int files;
    std::size_t fileBytes;
    std::int64_t bytesPerSecond;
    bool ariaPieces1M; // -k1M: lets aria2c split files of a few megabytes
    double ariaTarget; // lanseek/aria2c time goal
    double curlTarget; // lanseek/curl time goal; 0: none
};

std::vector<std::string> makeBodies(int files, std::size_t bytes)
{
    std::vector<std::string> bodies;
    for (int f = 0; f < files; ++f) {
        std::string body(bytes, '\0');
        std::uint32_t x = 2463534242u + static_cast<std::uint32_t>(f);
        for (auto& c : body) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            c = static_cast<char>(x);
        }
        bodies.push_back(std::move(body));
    }
    return bodies;
}

Outcome median(std::vector<Outcome> runs)
{
    std::sort(runs.begin(), runs.end(), [](const Outcome& a, const Outcome& b) {
        return (a.inner > 0 ? a.inner : a.wall) < (b.inner > 0 ? b.inner : b.wall);
    });
    Outcome m = runs[runs.size() / 2];
    m.identical = std::all_of(runs.begin(), runs.end(), [](const Outcome& o) { return o.identical; });
    if (m.reportsRight)
        m.reportsRight =
            std::all_of(runs.begin(), runs.end(), [](const Outcome& o) { return o.reportsRight == true; });
    return m;
}

void print(const char* who, const Outcome& o)
{
    if (!o.ran) {
        std::printf("  %-8s failed to run\n", who);
        return;
    }
    std::printf("  %-8s wall %7.3f s   cpu %6.3f s   peak RSS %7.1f MB", who, o.inner > 0 ? o.inner : o.wall,
                o.cpu, o.maxRssKb / 1024.0);
    if (o.growthKb >= 0)
        std::printf(" (growth %.1f MB, process %.3f s)", o.growthKb / 1024.0, o.wall);
    std::printf("   files %s", o.identical ? "identical" : "DIFFER");
    if (o.reportsRight)
        std::printf(", rows and reports %s", *o.reportsRight ? "right" : "WRONG");
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--queue") == 0)
        return runQueue(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string self = "/proc/self/exe";
    char selfPath[4096] = {};
    const ssize_t len = ::readlink(self.c_str(), selfPath, sizeof selfPath - 1);
    const std::string exe =
        len > 0 ? std::string(selfPath, static_cast<std::size_t>(len)) : std::string(argv[0]);

    const auto aria = findTool("aria2c");
    const auto curl = findTool("curl");
    if (!aria)
        std::printf("aria2c not found: its figures are skipped\n");
    if (!curl)
        std::printf("curl not found: its figures are skipped\n");

    constexpr std::size_t kLarge = 16u * 1024 * 1024;
    constexpr std::size_t kSmall = 1024u * 1024;
    const Case cases[] = {
        {"three files of 16 MiB, throttled, 2 MB/s per connection", 3, kLarge, kThrottle, true, 1.1, 0.3},
        {"three files of 16 MiB, unthrottled loopback", 3, kLarge, 0, true, 1.5, 0},
        {"twelve files of 1 MiB through the three slots, 2 MB/s per connection", 12, kSmall, kThrottle, false,
         1.1, 0},
    };
    for (const Case& c : cases) {
        const int files = c.files;
        const std::vector<std::string> bodies = makeBodies(c.files, c.fileBytes);
        lanseek::bench::BenchServer server(c.bytesPerSecond);
        std::vector<std::string> urls;
        for (int f = 0; f < files; ++f) {
            const std::string path = "/song" + std::to_string(f + 1) + ".mp3";
            server.serve(path, std::make_shared<const std::string>(bodies[f]));
            urls.push_back(server.url(path));
        }
        // The large throttled case takes a while and varies little; it runs once.
        const int runs = c.bytesPerSecond > 0 && c.fileBytes == kLarge ? 1 : repeats;
        std::vector<Outcome> ours, theirs, single;
        for (int r = 0; r < runs; ++r) {
            {
                QTemporaryDir out;
                std::vector<std::string> args{exe, "--queue", out.path().toStdString()};
                args.insert(args.end(), urls.begin(), urls.end());
                std::string text;
                Outcome o = runChild(args, text);
                double seconds = 0;
                long baseline = 0, hwm = 0;
                int done = 0, reports = 0;
                if (std::sscanf(text.c_str(),
                                "queue_seconds=%lf baseline_kb=%ld hwm_kb=%ld done=%d reports=%d", &seconds,
                                &baseline, &hwm, &done, &reports) == 5) {
                    o.inner = seconds;
                    o.reportsRight = done == files && reports == files;
                    o.growthKb = hwm - baseline;
                    o.maxRssKb = std::max(o.maxRssKb, hwm);
                } else {
                    o.ran = false;
                }
                o.identical = true;
                for (int f = 0; f < files; ++f)
                    o.identical &= sameAs(out.filePath(QStringLiteral("song%1.mp3").arg(f + 1)), bodies[f]);
                ours.push_back(o);
            }
            if (aria) {
                QTemporaryDir out;
                std::vector<std::string> args{*aria, "-x5", "-s5", "-j3"};
                if (c.ariaPieces1M)
                    args.push_back("-k1M");
                args.insert(args.end(), {"-Z", "-q", "--no-conf", "--allow-overwrite=true",
                                         "--auto-file-renaming=false", "-d", out.path().toStdString()});
                args.insert(args.end(), urls.begin(), urls.end());
                std::string text;
                Outcome o = runChild(args, text);
                o.identical = true;
                for (int f = 0; f < files; ++f)
                    o.identical &= sameAs(out.filePath(QStringLiteral("song%1.mp3").arg(f + 1)), bodies[f]);
                theirs.push_back(o);
            }
            if (curl) {
                QTemporaryDir out;
                std::vector<std::string> args{*curl, "-s"};
                for (int f = 0; f < files; ++f) {
                    args.push_back("-o");
                    args.push_back(out.filePath(QStringLiteral("song%1.mp3").arg(f + 1)).toStdString());
                    args.push_back(urls[f]);
                }
                std::string text;
                Outcome o = runChild(args, text);
                o.identical = true;
                for (int f = 0; f < files; ++f)
                    o.identical &= sameAs(out.filePath(QStringLiteral("song%1.mp3").arg(f + 1)), bodies[f]);
                single.push_back(o);
            }
        }
        std::printf("\n%s (%d run%s, median; memory target %.1f MB):\n", c.title, runs, runs > 1 ? "s" : "",
                    std::min(files, 3) * c.fileBytes / 1048576.0 + 64);
        const Outcome o = median(ours);
        print("lanseek", o);
        const double oursTime = o.inner > 0 ? o.inner : o.wall;
        if (!theirs.empty()) {
            const Outcome a = median(theirs);
            print("aria2c", a);
            if (!c.ariaPieces1M)
                std::printf(
                    "  (aria2c splits no file below twice its minimum piece size, so it fetches each of "
                    "these files over one connection)\n");
            if (a.ran && o.ran)
                std::printf("  lanseek/aria2c time %.2f (target <= %.1f; with the program's start-up %.2f)   "
                            "cpu %.2f   memory %.2f\n",
                            oursTime / a.wall, c.ariaTarget, o.wall / a.wall, o.cpu / a.cpu,
                            static_cast<double>(o.maxRssKb) / a.maxRssKb);
        }
        if (!single.empty()) {
            const Outcome s = median(single);
            print("curl", s);
            if (s.ran && o.ran) {
                std::printf("  lanseek/curl   time %.2f", oursTime / s.wall);
                if (c.curlTarget > 0)
                    std::printf(" (target <= %.1f)", c.curlTarget);
                std::printf(" (with the program's start-up %.2f)   cpu %.2f\n", o.wall / s.wall,
                            o.cpu / s.cpu);
            }
        }
        if (o.ran) {
            // The queue holds at most three files at once, whatever the list's length.
            const double limitMb = std::min(files, 3) * c.fileBytes / 1048576.0 + 64;
            std::printf("  lanseek memory: peak %.1f MB, growth during the run %.1f MB; target %.1f MB: %s\n",
                        o.maxRssKb / 1024.0, o.growthKb / 1024.0, limitMb,
                        o.maxRssKb / 1024.0 <= limitMb ? "met by the whole process"
                                                       : "met by the growth only");
        }
    }
    return 0;
}
