// The sound server dies in the middle of the show (a crash, a headset that drops): the clock goes
// on at real time from that moment, on the wall clock, says so once, and when a server is back
// the music follows it again from where the clock is. The server is a PulseAudio of the test's
// own, on a null sink (which plays at real time), killed as a crash would end it.
#include "runtime/dms.h"
#include "tests/runtime/runtime_fixture.h"
#include "tests/support/gl_context.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A PulseAudio daemon on a socket of the test's own, with a null sink.
class SoundServer {
public:
    explicit SoundServer(const std::string& folder) : folder(folder) {}
    ~SoundServer() { kill(); }

    std::string socket() const { return folder + "/native"; }

    bool start()
    {
        fs::remove(socket());
        // Apart from any server of the user's: no pid file, its own home and runtime folder.
        const std::vector<std::string> args = {"pulseaudio", "--daemonize=no", "-n", "--use-pid-file=no",
                                               "--exit-idle-time=-1", "--disable-shm=yes", "--load=module-null-sink",
                                               "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket()};
        std::vector<std::string> environment = {"HOME=" + folder, "XDG_RUNTIME_DIR=" + folder};
        for (char** variable = environ; *variable; ++variable)
            if (std::strncmp(*variable, "HOME=", 5) != 0 && std::strncmp(*variable, "XDG_RUNTIME_DIR=", 16) != 0)
                environment.emplace_back(*variable);
        std::vector<char*> argv, envp;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        for (const std::string& e : environment)
            envp.push_back(const_cast<char*>(e.c_str()));
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, (folder + "/server.log").c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                         0600);
        const int failed = posix_spawnp(&pid, "pulseaudio", &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (failed) {
            pid = 0;
            return false;
        }
        // Ready once its socket is there.
        for (int i = 0; i < 500 && !fs::exists(socket()); ++i)
            SDL_Delay(10);
        return fs::exists(socket());
    }

    void kill()
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = 0;
    }

private:
    std::string folder;
    pid_t pid = 0;
};

double nowMs() { return static_cast<double>(SDL_GetPerformanceCounter()) * 1000.0 / SDL_GetPerformanceFrequency(); }

// A reading of the clock between two readings of the wall clock: on a loaded machine the test
// may be held up between them, and the clock read anywhere in between.
struct Sample {
    double beforeMs, afterMs;
    int position;
    bool exact() const { return afterMs - beforeMs < 2.0; }
};

// Reads the clock every few milliseconds for `ms`, as frames would; stops early once `until`
// holds.
template <typename Until>
void sample(std::vector<Sample>& samples, double ms, const Until& until)
{
    const double end = nowMs() + ms;
    while (nowMs() < end && !until()) {
        const double before = nowMs();
        dmsUpdateTimer();
        samples.push_back({before, nowMs(), dmsGetModulePosition()});
        SDL_Delay(5);
    }
}
void sample(std::vector<Sample>& samples, double ms)
{
    sample(samples, ms, [] { return false; });
}

// Never backwards, never a jump: between two readings the clock moves no more than the time that
// can have passed, give or take a device buffer.
bool steady(const std::vector<Sample>& samples, std::string& why)
{
    for (size_t i = 1; i < samples.size(); ++i) {
        const int step = samples[i].position - samples[i - 1].position;
        if (step < 0 || step > samples[i].afterMs - samples[i - 1].beforeMs + 60) {
            why = "the clock stepped " + std::to_string(step) + " ms at " + std::to_string(samples[i].position);
            return false;
        }
    }
    return true;
}

// The clock's pace from the first exact reading at or after `fromMs` to the last exact one: music
// ms per wall ms.
double pace(const std::vector<Sample>& samples, double fromMs)
{
    size_t first = 0, last = samples.size() - 1;
    while (first < last && (samples[first].beforeMs < fromMs || !samples[first].exact()))
        ++first;
    while (last > first && !samples[last].exact())
        --last;
    const Sample& a = samples[first];
    const Sample& b = samples[last];
    return (b.position - a.position) / ((b.beforeMs + b.afterMs) / 2 - (a.beforeMs + a.afterMs) / 2);
}

int fail(const std::string& why, const LogCapture& log)
{
    std::fprintf(stderr, "%s\nlog:\n%s", why.c_str(), log.all().c_str());
    return 1;
}

// Samples until the clock has moved `ms` past where it is (a device may take a moment to start,
// a null sink up to its two-second block); false if it has not within five seconds.
bool untilMoving(std::vector<Sample>& samples, int ms)
{
    dmsUpdateTimer();
    const int from = dmsGetModulePosition();
    sample(samples, 5000, [&] { return !samples.empty() && samples.back().position >= from + ms; });
    return !samples.empty() && samples.back().position >= from + ms;
}

// In a fresh process (a death-test child), so the runtime opens live on this server.
int serverLostAndBack()
{
    const std::string folder = fs::temp_directory_path() / ("orvalune-sound-" + std::to_string(getpid()));
    fs::create_directories(folder);
    SoundServer server(folder);
    if (!server.start())
        return std::fprintf(stderr, "pulseaudio did not start (the test command installs it)\n"), 1;
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    setenv("PULSE_SERVER", ("unix:" + server.socket()).c_str(), 1);
    LogCapture log;
    if (!openRuntimeOnTestArchive(false))
        return fail("the runtime did not open", log);
    if (log.contains("no audio"))
        return fail("the runtime found no device on the test's server", log);
    dmsInitTimer();
    dmsPlaySong(1);
    std::vector<Sample> samples;
    if (!untilMoving(samples, 200))
        return fail("the music never started", log);
    double from = nowMs();
    sample(samples, 1000);
    if (const double p = pace(samples, from); std::abs(p - 1.0) > 0.1)
        return fail("on the device the clock ran at " + std::to_string(p) + " of real time", log);

    const double lostAt = nowMs();
    server.kill();
    const auto lossLines = [&] {
        return std::count_if(log.lines.begin(), log.lines.end(),
                             [](const std::string& line) { return line.find("sound device") != std::string::npos; });
    };
    sample(samples, 2000, [&] { return lossLines() > 0; });
    if (lossLines() == 0)
        return fail("no line says the sound was lost", log);
    if (nowMs() - lostAt > 1000)
        return fail("the loss was noticed only after " + std::to_string(nowMs() - lostAt) + " ms", log);
    from = nowMs();
    sample(samples, 2500);
    std::string why;
    if (!steady(samples, why))
        return fail(why, log);
    if (const double p = pace(samples, from); std::abs(p - 1.0) > 0.03)
        return fail("without a device the clock ran at " + std::to_string(p) + " of real time", log);
    if (lossLines() != 1)
        return fail("the loss was logged more than once", log);

    if (!server.start())
        return fail("pulseaudio did not start again", log);
    const auto back = [&] { return log.contains("sound is back"); };
    sample(samples, 6000, back);
    if (!back())
        return fail("the music did not come back on the new server", log);
    if (!untilMoving(samples, 200))
        return fail("the music did not play on the new server", log);
    from = nowMs();
    sample(samples, 1000);
    if (!steady(samples, why))
        return fail(why, log);
    if (const double p = pace(samples, from); std::abs(p - 1.0) > 0.1)
        return fail("back on a device the clock ran at " + std::to_string(p) + " of real time", log);
    dmsShutDown();
    server.kill();
    fs::remove_all(folder);
    return 0;
}

TEST(AudioLoss, TheClockKeepsRealTimeWhenTheServerDiesAndFollowsItsReturn)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(serverLostAndBack()), ::testing::ExitedWithCode(0), "");
}

} // namespace
