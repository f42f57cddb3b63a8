#pragma once
// kelmora-calc run as a separate process, as a user or a batch scheduler runs it: arguments, the
// limits and signals it meets, its exit status, standard output and error, and the files it leaves in
// a scratch folder of the test's own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "model/persistence/ProjectFile.h"

namespace kelmora::testing {

struct Outcome {
    int status = -1;    // exit status, or 128 + the signal that ended the process
    bool hung = false;  // killed after Options::timeoutSeconds
    std::string out;
    std::string err;
};

struct Options {
    const char* stdoutPath = nullptr;  // instead of a captured file
    rlim_t fileSizeLimit = RLIM_INFINITY;
    int interruptAfterMs = -1;  // `signal` to the process after that long
    int signal = SIGINT;
    std::string path{};  // PATH of the process; empty: the test's own
    // A process that runs longer is killed and reported as hung: a test never waits for ever.
    double timeoutSeconds = 60.0;
};

// A process id that no longer runs: a child that has ended and been waited for.
inline pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class CalcProcess : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() /
            ("kelmora-calc-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Runs kelmora-calc with `args` and waits for it (at most options.timeoutSeconds).
    Outcome Calc(const std::vector<std::string>& args, const Options& options = {}) {
        namespace fs = std::filesystem;
        const fs::path out = folder_ / ".stdout";
        const fs::path err = folder_ / ".stderr";
        const pid_t child = ::fork();
        if (child == 0) {
            const int o = ::open(options.stdoutPath ? options.stdoutPath : out.c_str(),
                                 O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (o < 0 || e < 0) ::_exit(127);
            ::dup2(o, 1);
            ::dup2(e, 2);
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{options.fileSizeLimit, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            if (!options.path.empty()) ::setenv("PATH", options.path.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(KELMORA_CALC)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(KELMORA_CALC, argv.data());
            ::_exit(127);
        }
        Outcome outcome;
        const auto start = std::chrono::steady_clock::now();
        const auto elapsed = [&] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        bool signalled = options.interruptAfterMs < 0;
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            if (!signalled && elapsed() * 1000.0 >= options.interruptAfterMs) {
                ::kill(child, options.signal);
                signalled = true;
            }
            if (elapsed() > options.timeoutSeconds) {
                outcome.hung = true;
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        outcome.out = options.stdoutPath ? "" : Slurp(out);
        outcome.err = Slurp(err);
        fs::remove(out);
        fs::remove(err);
        return outcome;
    }

    // A project with one steady source of 100 dB in every band (maximum 110 dB), Q 2, and no terrain.
    std::filesystem::path Project(const std::string& name, const std::function<void(CNoise&)>& change = {}) {
        ProjectDocument doc = NewProjectDocument();
        CSound source;
        source.position = {0, 0, 1.5};
        source.q = 2.0;
        source.noiseType = kSteadyNoise;
        source.duration = 3600.0;
        source.eventsPerHour = 1.0;
        source.powerAverage = CBand::Filled(100.0);
        source.powerMax = CBand::Filled(110.0);
        doc.model.outdoorSources = {source};
        doc.model.calcInfo.singlePoint.position = {10, 0, 1.5};
        if (change) change(doc.model);
        const std::filesystem::path path = folder_ / name;
        SaveProjectFile(path, doc);
        return path;
    }

    // The names in the scratch folder, sorted: what a command left there.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path folder_;
};

}  // namespace kelmora::testing
