// A master made on a real Slurm cluster of one node, started here from Debian's slurm-wlm and
// munge with a configuration, key, ports, state and logs of its own in a temporary folder, and
// stopped after: its chunks join to the very frames and music of one capture of the range, a
// chunk killed mid-run is requeued, and a missing chunk makes the join refuse, naming its frames.
#include "tests/farm/decoded.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// A range across the forest's start (66500 ms): four chunks of ten frames, the third beginning
// with the forest's first frame.
const std::vector<std::string> master = {"--from", "64500", "--to", "68400", "--fps", "10", "--size", "160x90",
                                         "--codec", "ffv1"};

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A port nobody listens on now.
int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = -1;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

long memoryMegabytes()
{
    std::istringstream lines(readText("/proc/meminfo"));
    std::string key;
    long kilobytes = 0;
    lines >> key >> kilobytes;
    return kilobytes / 1024;
}

// The cluster: munged, slurmctld and slurmd in the foreground, children of this test (killed with
// it should it die), everything they write in `folder`.
class Cluster {
public:
    std::string folder;
    std::string problem;

    bool start()
    {
        folder = freshFolder("slurm");
        const fs::path f(folder);
        for (const char* sub : {"munge", "state", "spool", "log"})
            fs::create_directories(f / sub);
        fs::permissions(f / "munge", fs::perms::owner_all, fs::perm_options::replace);
        const ProgramResult key = runProgram({"mungekey", "--create", "--keyfile", (f / "munge/munge.key").string()}, folder, 30);
        if (key.exitCode != 0)
            return fail("mungekey: " + key.output);
        const std::string socket = (f / "munge/socket").string();
        daemon({"munged", "--foreground", "--force", "--socket=" + socket, "--key-file=" + (f / "munge/munge.key").string(),
                "--log-file=" + (f / "log/munged.log").string(), "--pid-file=" + (f / "munge/munged.pid").string(),
                "--seed-file=" + (f / "munge/seed").string()},
               "munged");
        if (!waitFor([&] { return fs::exists(socket); }, 20))
            return fail("munged did not start: " + readText(f / "log/munged.out"));
        std::ofstream(f / "slurm.conf")
            << "ClusterName=orvalunetest\nSlurmctldHost=localhost\nSlurmctldPort=" << freePort()
            << "\nSlurmdPort=" << freePort() << "\nSlurmUser=root\nSlurmdUser=root\nAuthType=auth/munge\n"
            << "AuthInfo=socket=" << socket << "\nCredType=cred/munge\nStateSaveLocation=" << folder
            << "/state\nSlurmdSpoolDir=" << folder << "/spool\nSlurmctldPidFile=" << folder
            << "/slurmctld.pid\nSlurmdPidFile=" << folder << "/slurmd.pid\nSlurmctldLogFile=" << folder
            << "/log/slurmctld.log\nSlurmdLogFile=" << folder << "/log/slurmd.log\n"
            << "ProctrackType=proctrack/linuxproc\nTaskPlugin=task/none\nJobAcctGatherType=jobacct_gather/none\n"
            << "AccountingStorageType=accounting_storage/none\nJobCompType=jobcomp/none\nMpiDefault=none\n"
            << "SelectType=select/cons_tres\nSelectTypeParameters=CR_Core\nReturnToService=2\nJobRequeue=1\n"
            << "MinJobAge=600\nNodeName=orvalune NodeHostname=localhost NodeAddr=127.0.0.1 CPUs="
            << std::thread::hardware_concurrency() << " RealMemory=" << memoryMegabytes() * 8 / 10 << " State=UNKNOWN\n"
            << "PartitionName=orvalune Nodes=orvalune Default=YES MaxTime=INFINITE State=UP\n";
        const std::string conf = (f / "slurm.conf").string();
        daemon({"slurmctld", "-D", "-f", conf}, "slurmctld");
        daemon({"slurmd", "-D", "-f", conf, "-N", "orvalune"}, "slurmd");
        if (!waitFor([&] { return run({"sinfo", "-h", "-o", "%T"}).output.find("idle") != std::string::npos; }, 60))
            return fail("the node did not come up: " + readText(f / "log/slurmctld.log") + readText(f / "log/slurmd.log"));
        return true;
    }

    // Every job cancelled and gone, then the daemons stopped: nothing of the cluster stays.
    void stop()
    {
        if (!daemons.empty()) {
            run({"scancel", "--full", "--user=root"});
            waitFor([&] { return run({"squeue", "-h"}).output.empty(); }, 30);
        }
        for (auto it = daemons.rbegin(); it != daemons.rend(); ++it) {
            kill(*it, SIGTERM);
            bool gone = waitFor([&] { return waitpid(*it, nullptr, WNOHANG) == *it; }, 20);
            if (!gone) {
                kill(*it, SIGKILL);
                waitpid(*it, nullptr, 0);
            }
        }
        daemons.clear();
        if (!folder.empty())
            fs::remove_all(folder);
    }

    std::vector<std::string> environment() const
    {
        return environmentWith({"SLURM_CONF"}, {"SLURM_CONF=" + folder + "/slurm.conf"});
    }

    ProgramResult run(const std::vector<std::string>& argv, double timeout = 60) const
    {
        ProgramRun program;
        program.argv = argv;
        program.workingDirectory = folder;
        program.timeoutSeconds = timeout;
        program.environment = environment();
        return runProgram(program);
    }

    template <typename Check> static bool waitFor(Check check, double seconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!check()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return true;
    }

private:
    std::vector<pid_t> daemons;

    bool fail(const std::string& text)
    {
        problem = text;
        return false;
    }

    void daemon(const std::vector<std::string>& argv, const std::string& name)
    {
        const std::string log = folder + "/log/" + name + ".out";
        const std::string conf = "SLURM_CONF=" + folder + "/slurm.conf";
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(127);
            const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, 1);
            dup2(fd, 2);
            putenv(const_cast<char*>(conf.c_str()));
            execvp(args[0], args.data());
            _exit(127);
        }
        if (pid > 0)
            daemons.push_back(pid);
    }
};

// The capture process rendering this chunk video, or 0.
pid_t captureOf(const std::string& chunkVideo)
{
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string cmdline = readText(entry.path() / "cmdline");
        const std::string program = cmdline.substr(0, cmdline.find('\0'));
        if (program.size() >= 16 && program.compare(program.size() - 16, 16, "orvalune-capture") == 0 &&
            cmdline.find(std::string("\0", 1) + chunkVideo + std::string("\0", 1)) != std::string::npos)
            return std::stoi(name);
    }
    return 0;
}

class SlurmFarm : public testing::Test {
protected:
    static Cluster cluster;
    static std::string work, single, joined, statusSeen, chunkLog;
    static bool killedMidRun;

    static void SetUpTestSuite()
    {
        if (geteuid() != 0)
            return;
        work = freshFolder("slurm-farm");
        single = work + "/single.mkv";
        joined = work + "/joined.mkv";
        std::vector<std::string> one = {builtProgram("orvalune-capture")};
        one.insert(one.end(), master.begin(), master.end());
        one.insert(one.end(), {"--out", single});
        const ProgramResult reference = runProgram(one, work, 300);
        if (reference.exitCode != 0 || !cluster.start()) {
            cluster.problem += reference.exitCode != 0 ? "the single capture failed: " + reference.output : "";
            return;
        }
        std::vector<std::string> submit = {builtProgram("orvalune-farm"), "submit", work + "/chunks", "--chunk-seconds",
                                           "1", "--"};
        submit.insert(submit.end(), master.begin(), master.end());
        submit.insert(submit.end(), {"--out", joined});
        const ProgramResult submitted = cluster.run(submit);
        statusSeen = submitted.output;
        if (submitted.exitCode != 0)
            return;
        // Chunk 2 killed as soon as it runs, long before it can have written its frames.
        const std::string victim = work + "/chunks/chunk-0002.mkv";
        pid_t pid = 0;
        Cluster::waitFor([&] { return (pid = captureOf(victim)) != 0; }, 120);
        statusSeen += cluster.run({builtProgram("orvalune-farm"), "status", work + "/chunks"}).output;
        killedMidRun = pid != 0 && !fs::exists(work + "/chunks/chunk-0002.json") && kill(pid, SIGKILL) == 0;
        // A requeued task waits two minutes before Slurm starts it again.
        const std::string joinLog = work + "/chunks/slurm-join.log";
        Cluster::waitFor([&] { return fs::exists(work + "/joined.json") || readText(joinLog).find("cannot") != std::string::npos; },
                         420);
        statusSeen += cluster.run({builtProgram("orvalune-farm"), "status", work + "/chunks"}).output;
        chunkLog = readText(work + "/chunks/slurm-task-1.log"); // the array runs the last chunks first
    }

    static void TearDownTestSuite()
    {
        cluster.stop();
        if (!work.empty())
            fs::remove_all(work);
    }

    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "the cluster's daemons run as root: run the tests as root";
        ASSERT_TRUE(cluster.problem.empty()) << cluster.problem;
    }
};

Cluster SlurmFarm::cluster;
std::string SlurmFarm::work, SlurmFarm::single, SlurmFarm::joined, SlurmFarm::statusSeen, SlurmFarm::chunkLog;
bool SlurmFarm::killedMidRun = false;

TEST_F(SlurmFarm, ChunksJoinToTheFramesAndMusicOfOneRunThoughOneWasKilled)
{
    ASSERT_TRUE(fs::exists(joined)) << statusSeen << chunkLog;
    const std::string frames = decodedChecksums(single);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), '\n'), 40);
    EXPECT_EQ(decodedChecksums(joined), frames) << "the joined frames are one run's, byte for byte";
    EXPECT_EQ(decodedChecksums(joined, "0:a"), decodedChecksums(single, "0:a")) << "the music is one run's";
    // The killed chunk went back into the queue and ran again.
    EXPECT_TRUE(killedMidRun);
    EXPECT_NE(chunkLog.find("requeueing task"), std::string::npos) << chunkLog;
    EXPECT_NE(statusSeen.find("job array"), std::string::npos) << statusSeen;
    EXPECT_NE(statusSeen.find("chunks: 4 done, 0 running, 0 waiting, 0 failed, of 4"), std::string::npos) << statusSeen;
}

TEST_F(SlurmFarm, AMissingChunkIsRefusedByName)
{
    ASSERT_TRUE(fs::exists(joined)) << statusSeen;
    const std::string copy = work + "/missing";
    fs::copy(work + "/chunks", copy);
    fs::remove(copy + "/chunk-0001.json");
    const ProgramResult r = cluster.run({builtProgram("orvalune-farm"), "join", copy});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.output.find("missing frames 10-19 (65500-66400 ms)"), std::string::npos) << r.output;
}

} // namespace
