#include "cli/cluster/Subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>

extern char** environ;

namespace kelmora::cli {
namespace {

// Closes the descriptors it holds when it goes.
struct Pipe {
    int fd[2] = {-1, -1};
    ~Pipe() {
        for (int f : fd) {
            if (f >= 0) close(f);
        }
    }
    bool Open() { return pipe2(fd, O_CLOEXEC) == 0; }
    void CloseEnd(int i) {
        if (fd[i] >= 0) close(fd[i]);
        fd[i] = -1;
    }
};

// Spawn settings released on every way out.
struct SpawnSettings {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSettings() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSettings() {
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;
};

int ExitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, const ProgramLimits& limits) {
    ProgramResult result;
    if (argv.empty()) return result;
    Pipe out, err;
    if (!out.Open() || !err.Open()) {
        result.err = std::strerror(errno);
        return result;
    }
    SpawnSettings spawn;
    posix_spawn_file_actions_addopen(&spawn.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, out.fd[1], 1);
    posix_spawn_file_actions_adddup2(&spawn.actions, err.fd[1], 2);
    // A group of its own, so that stopping it stops whatever it started too.
    posix_spawnattr_setflags(&spawn.attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&spawn.attributes, 0);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &spawn.actions, &spawn.attributes, args.data(), environ);
    if (spawned != 0) {
        result.err = argv[0] + ": " + std::strerror(spawned);
        return result;
    }
    result.started = true;
    out.CloseEnd(1);
    err.CloseEnd(1);

    // Both streams are read as they come, so that a program filling one of them never blocks, until
    // both are closed, the time is up or the output too much.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                          std::chrono::duration<double>(limits.seconds));
    pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
    std::string* text[2] = {&result.out, &result.err};
    int open = 2;
    char buffer[4096];
    while (open > 0 && !result.timedOut && !result.flooded) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            break;
        }
        const int ready = poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                if (result.out.size() + result.err.size() + static_cast<std::size_t>(n) >
                    limits.outputBytes) {
                    result.flooded = true;
                    break;
                }
                text[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    if (result.timedOut || result.flooded) {
        kill(-pid, SIGKILL);
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.exitStatus = ExitStatus(status);
        return result;
    }
    // Both streams are closed; the program itself still gets the rest of the time to end.
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) break;
        if (Clock::now() >= deadline) {
            result.timedOut = true;
            kill(-pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            break;
        }
        usleep(10000);
    }
    result.exitStatus = ExitStatus(status);
    return result;
}

}  // namespace kelmora::cli
