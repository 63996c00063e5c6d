// lanseek-service as a user starts it: help on standard output, and a first line that says where it
// listens and how many songs it shares.

#include "service_test_support.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace lanseek::service {
namespace {

// A child process of the service program with its standard output and error captured apart.
class ServiceProcess
{
public:
    explicit ServiceProcess(std::vector<std::string> arguments)
    {
        int out[2];
        int err[2];
        if (pipe(out) != 0 || pipe(err) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addclose(&actions, err[0]);
        arguments.insert(arguments.begin(), LANSEEK_SERVICE_EXE);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, LANSEEK_SERVICE_EXE, &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~ServiceProcess()
    {
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_out);
        close(m_err);
    }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

    // What the stream gave until it ended, a line was complete (when asked for one) or time ran out.
    static std::string read(int fd, bool lineOnly)
    {
        std::string text;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < until &&
               !(lineOnly && text.find('\n') != std::string::npos)) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 200) <= 0) {
                continue;
            }
            char buffer[1024];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            text.append(buffer, static_cast<std::size_t>(got));
        }
        return text;
    }
    std::string firstLine() { return read(m_out, true); }
    std::string allOut() { return read(m_out, false); }
    std::string allErr() { return read(m_err, false); }

    // The exit status, after sending `signal` when one is given.
    int finish(int signal = 0)
    {
        if (signal != 0) {
            kill(m_pid, signal);
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    bool m_reaped = false;
};

TEST(CommandLine, HelpGoesToStandardOutput)
{
    ServiceProcess help({"--help"});
    ASSERT_TRUE(help.started());
    const std::string out = help.allOut();
    const std::string err = help.allErr();
    EXPECT_EQ(help.finish(), 0);
    EXPECT_EQ(out.rfind("usage: lanseek-service", 0), 0u) << out;
    EXPECT_NE(out.find("127.0.0.1:8080"), std::string::npos) << "the help names the default address";
    EXPECT_NE(out.find("--threads N"), std::string::npos);
    EXPECT_TRUE(err.empty()) << err;

    ServiceProcess wrong({"--no-such-option"});
    ASSERT_TRUE(wrong.started());
    EXPECT_TRUE(wrong.allOut().empty());
    EXPECT_NE(wrong.allErr().find("usage: lanseek-service"), std::string::npos);
    EXPECT_EQ(wrong.finish(), 2);
}

TEST(CommandLine, FirstLineSaysWhereItListensAndWhatItShares)
{
    const lanseek::test::TestLibrary library;
    ServiceProcess service({"--library", library.root().string(), "--listen", "127.0.0.1:0"});
    ASSERT_TRUE(service.started());
    const std::string line = service.firstLine();
    const std::string expected = "lanseek-service: sharing " +
                                 std::to_string(6 + lanseek::test::TestLibrary::kBulkSongs) + " songs from " +
                                 library.root().string() + " on http://127.0.0.1:";
    ASSERT_EQ(line.rfind(expected, 0), 0u) << line;
    const int port = std::stoi(line.substr(expected.size()));
    ASSERT_GT(port, 0);

    httplib::Client cli("127.0.0.1", port);
    auto res = cli.Get("/mp3.html");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(service.finish(SIGTERM), 0);
}

TEST(CommandLine, ThreadCountIsCheckedAndSighupRescansWhileServing)
{
    for (const char* bad : {"0", "257", "-1", "2x", ""}) {
        ServiceProcess refused({"--threads", bad, "--listen", "127.0.0.1:0"});
        ASSERT_TRUE(refused.started());
        EXPECT_NE(refused.allErr().find("bad thread count"), std::string::npos) << bad;
        EXPECT_EQ(refused.finish(), 2) << bad;
    }

    const lanseek::test::TempDir dir;
    lanseek::test::writeFile(dir.path() / "First Light.mp3", "one");
    ServiceProcess service({"--library", dir.path().string(), "--listen", "127.0.0.1:0", "--threads", "3"});
    ASSERT_TRUE(service.started());
    const std::string line = service.firstLine();
    const std::string expected =
        "lanseek-service: sharing 1 songs from " + dir.path().string() + " on http://127.0.0.1:";
    ASSERT_EQ(line.rfind(expected, 0), 0u) << line;
    httplib::Client cli("127.0.0.1", std::stoi(line.substr(expected.size())));
    EXPECT_TRUE(cli.Get("/mp3.html"));

    lanseek::test::writeFile(dir.path() / "Second Light.mp3", "two");
    ASSERT_EQ(kill(service.pid(), SIGHUP), 0);
    EXPECT_EQ(service.firstLine(), "lanseek-service: 2 songs after rescanning\n");
    auto res = cli.Get("/m?tn=baidump3&ct=134217728&rn=&word=light&lm=0");
    ASSERT_TRUE(res);
    EXPECT_EQ(lanseek::test::readPage(res->body).linksContaining("/r?url=").size(), 2u);
    EXPECT_EQ(service.finish(SIGTERM), 0);
}

TEST(CommandLine, SettingsFileGivesTheFolderAndOptionsWinOverIt)
{
    const lanseek::test::TestLibrary library;
    const lanseek::test::TempDir home;
    const auto settings = home.path() / "service.conf";
    lanseek::test::writeFile(settings, "# shared with nobody\nlibrary = " + library.root().string() +
                                           "\nlisten = 127.0.0.2:9\nname = 客厅\n");
    // The file names the folder; the command line moves the address (loopback, so nothing is announced).
    ServiceProcess service({"--listen", "127.0.0.1:0", "--config", settings.string()});
    ASSERT_TRUE(service.started());
    const std::string line = service.firstLine();
    EXPECT_EQ(line.rfind("lanseek-service: sharing " +
                             std::to_string(6 + lanseek::test::TestLibrary::kBulkSongs) + " songs from " +
                             library.root().string() + " on http://127.0.0.1:",
                         0),
              0u)
        << line;
    EXPECT_EQ(service.finish(SIGTERM), 0);

    // A line it does not understand stops it with the line's number, before anything listens.
    lanseek::test::writeFile(settings, "library = /music\nshare everything\n");
    ServiceProcess broken({"--config", settings.string()});
    ASSERT_TRUE(broken.started());
    EXPECT_NE(broken.allErr().find("service.conf:2:"), std::string::npos);
    EXPECT_EQ(broken.finish(), 2);

    ServiceProcess missing({"--config", (home.path() / "none.conf").string()});
    ASSERT_TRUE(missing.started());
    EXPECT_NE(missing.allErr().find("cannot read"), std::string::npos);
    EXPECT_EQ(missing.finish(), 2);
}

} // namespace
} // namespace lanseek::service
