// Start-up of the application on a full database and on the bundled one
// against a bare Qt Widgets program that shows a 3000-row table, all measured
// from outside the process: from the start of the child to the X11 map of a
// window whose _NET_WM_PID is the child, on an Xvfb server of our own. The
// application's peak memory up to that moment is counted too.

#include "fulldatabase.h"

#include <benchmark/benchmark.h>

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

extern char **environ;

namespace fs = std::filesystem;

namespace
{

struct Server {
    pid_t xvfb = -1;
    std::string display;
    xcb_connection_t *connection = nullptr;
    xcb_atom_t pidAtom = XCB_NONE;
    fs::path appDir;
    std::string application; // the copy of the executable beside the full database
    std::string bundled;     // the copy beside the bundled database
    std::string bare;
} server;

// Starts Xvfb on a display it chooses itself (-displayfd).
bool startServer()
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> args{"Xvfb", "-displayfd",   fd,          "-screen",
                                  "0",    "1280x1024x24", "-nolisten", "tcp"};
    std::vector<char *> argv;
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&server.xvfb, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return false;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty())
        return false;
    server.display = ":" + number;
    server.connection = xcb_connect(server.display.c_str(), nullptr);
    if (xcb_connection_has_error(server.connection))
        return false;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(server.connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(server.connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    const char *name = "_NET_WM_PID";
    auto cookie = xcb_intern_atom(server.connection, 0, uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(server.connection, cookie, nullptr), &std::free);
    server.pidAtom = reply ? reply->atom : XCB_NONE;
    xcb_flush(server.connection);
    return reply != nullptr;
}

void stopServer()
{
    if (server.connection)
        xcb_disconnect(server.connection);
    if (server.xvfb > 0) {
        kill(server.xvfb, SIGTERM);
        waitpid(server.xvfb, nullptr, 0);
    }
}

std::optional<uint32_t> windowPid(xcb_window_t window)
{
    auto cookie =
        xcb_get_property(server.connection, 0, window, server.pidAtom, XCB_ATOM_CARDINAL, 0, 1);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(server.connection, cookie, nullptr), &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return std::nullopt;
    return *static_cast<uint32_t *>(xcb_get_property_value(reply.get()));
}

struct Start {
    double seconds; // from the start of the process to the map of its window
    double peakMB;  // the largest resident set the process reached meanwhile
    double cpuMs;   // the processor time of all its threads, user and system
};

// The start of `exe` in `dir` up to the map of its window; nullopt after 20 s.
std::optional<Start> timeToMap(const std::string &exe, const fs::path &dir)
{
    std::vector<std::string> env{"DISPLAY=" + server.display};
    for (char **e = environ; *e; ++e) {
        const std::string s = *e;
        if (s.rfind("DISPLAY=", 0) != 0 && s.rfind("QT_QPA_PLATFORM=", 0) != 0)
            env.push_back(s);
    }
    std::vector<char *> envp;
    for (auto &s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string program = exe;
    char *argv[] = {program.data(), nullptr};
    const fs::path previous = fs::current_path();
    fs::current_path(dir);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = -1;
    const int rc = posix_spawn(&child, exe.c_str(), nullptr, nullptr, argv, envp.data());
    fs::current_path(previous);
    if (rc != 0)
        return std::nullopt;

    std::optional<double> seconds;
    const int fd = xcb_get_file_descriptor(server.connection);
    const auto deadline = start + std::chrono::seconds(20);
    while (!seconds && std::chrono::steady_clock::now() < deadline) {
        xcb_generic_event_t *event = xcb_poll_for_event(server.connection);
        if (!event) {
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            const auto mapped = std::chrono::steady_clock::now();
            if (windowPid(map->window) == uint32_t(child))
                seconds = std::chrono::duration<double>(mapped - start).count();
        }
        std::free(event);
    }
    kill(child, SIGKILL);
    rusage usage{};
    int status = 0;
    wait4(child, &status, 0, &usage);
    // Events of the child's windows that came late are dropped.
    while (xcb_generic_event_t *event = xcb_poll_for_event(server.connection))
        std::free(event);
    if (!seconds)
        return std::nullopt;
    const auto ms = [](const timeval &t) {
        return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3;
    };
    return Start{*seconds, double(usage.ru_maxrss) / 1024.0,
                 ms(usage.ru_utime) + ms(usage.ru_stime)};
}

// The programs start in turn, so that all meet the same load of the
// machine: each iteration of the bare program's benchmark starts the bare
// program, then the application on the full database and on the bundled one,
// and keeps the application's figures for the application's benchmarks, which
// run after it.
std::deque<Start> fullStarts;
std::deque<Start> bundledStarts;

void BM_StartupBare(benchmark::State &state)
{
    double cpuMs = 0;
    for (auto _ : state) {
        const auto bare = timeToMap(server.bare, server.appDir);
        const auto full = timeToMap(server.application, server.appDir);
        const auto bundled = timeToMap(server.bundled, server.appDir / "bundled");
        if (!bare || !full || !bundled) {
            state.SkipWithError("no window mapped");
            return;
        }
        fullStarts.push_back(*full);
        bundledStarts.push_back(*bundled);
        cpuMs += bare->cpuMs;
        state.SetIterationTime(bare->seconds);
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}

void measureApplication(benchmark::State &state, std::deque<Start> &measured,
                        const std::string &exe, const fs::path &dir)
{
    double peakMB = 0;
    double cpuMs = 0;
    for (auto _ : state) {
        std::optional<Start> start;
        if (!measured.empty()) {
            start = measured.front();
            measured.pop_front();
        } else {
            start = timeToMap(exe, dir);
        }
        if (!start) {
            state.SkipWithError("no window mapped");
            return;
        }
        peakMB = std::max(peakMB, start->peakMB);
        cpuMs += start->cpuMs;
        state.SetIterationTime(start->seconds);
    }
    state.counters["peak_MB"] = peakMB;
    state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}

void BM_StartupApplication(benchmark::State &state)
{
    measureApplication(state, fullStarts, server.application, server.appDir);
}

void BM_StartupBundled(benchmark::State &state)
{
    measureApplication(state, bundledStarts, server.bundled, server.appDir / "bundled");
}

BENCHMARK(BM_StartupBare)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartupApplication)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartupBundled)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    char pattern[] = "/tmp/bench-startup-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    server.appDir = pattern;
    server.application = (server.appDir / "cartes-especes").string();
    server.bundled = (server.appDir / "bundled" / "cartes-especes").string();
    server.bare = STARTUP_BARE;
    std::error_code error;
    fs::copy_file(CARTES_ESPECES, server.application, error);
    if (!error)
        fs::create_directory(server.appDir / "bundled", error);
    if (!error)
        fs::copy_file(CARTES_ESPECES, server.bundled, error);
    if (!error)
        fs::copy_file(BUNDLED_DATABASE, server.appDir / "bundled" / cards::kDatabaseFileName,
                      error);
    if (error || !writeFullDatabase(server.appDir) || !startServer()) {
        std::fprintf(stderr, "cannot prepare the application or start Xvfb\n");
        stopServer();
        fs::remove_all(server.appDir, error);
        return 1;
    }
    // One start of each first, so that all find the fonts and libraries cached.
    timeToMap(server.bare, server.appDir);
    timeToMap(server.application, server.appDir);
    timeToMap(server.bundled, server.appDir / "bundled");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    stopServer();
    fs::remove_all(server.appDir, error);
    return 0;
}
