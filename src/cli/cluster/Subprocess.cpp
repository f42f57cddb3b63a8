#include "cli/cluster/Subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv) {
    ProgramResult result;
    if (argv.empty()) return result;
    Pipe out, err;
    if (!out.Open() || !err.Open()) {
        result.err = std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        result.err = argv[0] + ": " + std::strerror(spawned);
        return result;
    }
    result.started = true;
    out.CloseEnd(1);
    err.CloseEnd(1);

    // Both streams are read as they come, so that a program filling one of them never blocks.
    pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
    std::string* text[2] = {&result.out, &result.err};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                text[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace kelmora::cli
