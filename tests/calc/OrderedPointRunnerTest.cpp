#include "calc/OrderedPointRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "FakeRunHost.h"
#include "calc/BreakdownWriter.h"
#include "calc/TextOutput.h"

namespace kelmora {
namespace {

using std::chrono::microseconds;

constexpr int kLinesPerPoint = 4;

// Per-point work times (0 … 2 ms per line), random but the same for every run of a test.
std::vector<int> WorkTimes(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> micros(0, 2000);
    std::vector<int> times;
    for (int i = 0; i < count * kLinesPerPoint; ++i)
        times.push_back(micros(random));
    return times;
}

std::string PointLine(int index, int line) {
    return "point " + std::to_string(index) + " line " + std::to_string(line) + "\n";
}

// What a serial run writes for points 0 … count − 1.
std::string SerialText(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        for (int line = 0; line < kLinesPerPoint; ++line)
            text += PointLine(i, line);
    }
    return text;
}

// A point that works a while before each of its lines; `fail` may throw before a line.
void ComputeLines(int index, CTextSink& sink, const std::vector<int>& times,
                  const std::function<void(int index, int line)>& fail = {}) {
    for (int line = 0; line < kLinesPerPoint; ++line) {
        std::this_thread::sleep_for(
            microseconds(times[static_cast<std::size_t>(index * kLinesPerPoint + line)]));
        if (fail) fail(index, line);
        sink.Write(PointLine(index, line));
    }
}

// Runs the points and records what was handed on, in the order it was handed on.
struct Recorder {
    std::string text;
    std::vector<int> begun;
    std::vector<int> emitted;

    OrderedPointTasks Tasks(std::function<void(int, CTextSink&)> compute) {
        return {std::move(compute), [this](int i) { begun.push_back(i); },
                [this](int i, std::string_view t) {
                    emitted.push_back(i);
                    text.append(t);
                }};
    }
};

std::vector<int> Iota(int n) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i)
        v.push_back(i);
    return v;
}

TEST(OrderedPointRunner, SameBytesInPointOrderWithAnyNumberOfThreads) {
    constexpr int kPoints = 40;
    const std::vector<int> times = WorkTimes(kPoints, 7);
    for (int threads : {1, 2, 4}) {
        Recorder r;
        RunPointsInOrder(kPoints, r.Tasks([&](int i, CTextSink& sink) { ComputeLines(i, sink, times); }),
                         {threads, 0});
        EXPECT_EQ(r.text, SerialText(kPoints)) << threads;
        EXPECT_EQ(r.emitted, Iota(kPoints)) << threads;
        EXPECT_EQ(r.begun, Iota(kPoints)) << threads;
    }
    // No points, and more threads than points.
    Recorder none;
    RunPointsInOrder(0, none.Tasks([](int, CTextSink&) { FAIL(); }), {4, 0});
    EXPECT_TRUE(none.emitted.empty());
    Recorder few;
    RunPointsInOrder(2, few.Tasks([&](int i, CTextSink& sink) { ComputeLines(i, sink, times); }), {8, 0});
    EXPECT_EQ(few.text, SerialText(2));
}

TEST(OrderedPointRunner, WorkersStayWithinTheWindow) {
    // Point 0 is slow and every other point instant: the workers must wait at the window's edge
    // instead of racing through the whole run and keeping every point in memory.
    constexpr int kPoints = 30;
    constexpr int kWindow = 3;
    std::atomic<int> handedOn{0};
    std::atomic<int> furthestAhead{0};
    std::atomic<int> startedBeforeFirst{0};
    OrderedPointTasks tasks{[&](int i, CTextSink& sink) {
                                const int ahead = i - handedOn.load();
                                int seen = furthestAhead.load();
                                while (ahead > seen && !furthestAhead.compare_exchange_weak(seen, ahead)) {
                                }
                                if (handedOn.load() == 0) ++startedBeforeFirst;
                                if (i == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                sink.Write(PointLine(i, 0));
                            },
                            {},
                            [&](int, std::string_view) { ++handedOn; }};
    RunPointsInOrder(kPoints, tasks, {4, kWindow});
    EXPECT_EQ(handedOn.load(), kPoints);
    EXPECT_LT(furthestAhead.load(), kWindow);
    EXPECT_EQ(startedBeforeFirst.load(), kWindow);
}

TEST(OrderedPointRunner, CancelAtABreakdownLineStopsTheRun) {
    constexpr int kPoints = 40;
    const std::vector<int> times = WorkTimes(kPoints, 11);
    for (int threads : {1, 2, 4}) {
        IdleJob job;
        Recorder r;
        OrderedPointTasks tasks = r.Tasks([&](int i, CTextSink& sink) {
            // The breakdown writer tests the cancel flag at every line.
            CBreakdownWriter writer(&sink, &job);
            for (int line = 0; line < kLinesPerPoint; ++line) {
                std::this_thread::sleep_for(
                    microseconds(times[static_cast<std::size_t>(i * kLinesPerPoint + line)]));
                writer.Append(PointLine(i, line));
            }
        });
        // Handing a point's text on to the file is a write too, and tests the flag as well.
        const auto emit = tasks.emit;
        tasks.emit = [&, emit](int i, std::string_view t) {
            job.ThrowIfCancelled();
            emit(i, t);
            if (i == 5) job.RequestCancel();
        };
        EXPECT_THROW(RunPointsInOrder(kPoints, tasks, {threads, 0}), JobCancelled) << threads;
        // Points 0 … 5 and nothing after them, as in a serial run cancelled while writing point 5.
        std::string expected;
        AppendTextFileBytes(expected, SerialText(6));  // the writer ends its lines with CR LF
        EXPECT_EQ(r.text, expected) << threads;
    }
}

TEST(OrderedPointRunner, TheLowestFailingPointWinsWhateverFailedFirst) {
    // Point 9 fails at once; point 7 fails late, after one line. A serial run meets point 7 first,
    // so every run reports point 7 after handing on points 0 … 6 and the line point 7 wrote.
    constexpr int kPoints = 30;
    const std::vector<int> times = WorkTimes(kPoints, 3);
    auto fail = [](int index, int line) {
        if (index == 9) throw std::runtime_error("point 9");
        if (index == 7 && line == 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            throw std::runtime_error("point 7");
        }
    };
    for (int threads : {1, 2, 4}) {
        Recorder r;
        try {
            RunPointsInOrder(kPoints,
                             r.Tasks([&](int i, CTextSink& sink) { ComputeLines(i, sink, times, fail); }),
                             {threads, 0});
            ADD_FAILURE() << "no failure reported";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "point 7") << threads;
        }
        EXPECT_EQ(r.text, SerialText(7) + PointLine(7, 0)) << threads;
        EXPECT_EQ(r.emitted, Iota(8)) << threads;
    }
}

TEST(OrderedPointRunner, NoPointStartsAfterAFailure) {
    // Each worker takes one of the first points; the last of them fails once all are under way, while
    // the others still work, the earlier ones finishing first (150 ms apart). A worker that finishes
    // after the failure starts no further point: points after a failure can never be handed on.
    constexpr int kPoints = 40;
    for (int threads : {2, 4}) {
        const int failing = threads - 1;
        std::atomic<int> started{0};
        OrderedPointTasks tasks{[&](int i, CTextSink& sink) {
                                    ++started;
                                    if (i == failing) {
                                        for (int wait = 0; started.load() < threads && wait < 5000; ++wait)
                                            std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                        throw std::runtime_error("failing point");
                                    }
                                    std::this_thread::sleep_for(std::chrono::milliseconds(150 * (i + 1)));
                                    sink.Write(PointLine(i, 0));
                                },
                                {},
                                [](int, std::string_view) {}};
        EXPECT_THROW(RunPointsInOrder(kPoints, tasks, {threads, 2 * threads}), std::runtime_error);
        EXPECT_EQ(started.load(), threads);
    }
}

TEST(OrderedPointRunner, AFailingFileEndsTheRunWithAllThreadsJoined) {
    constexpr int kPoints = 40;
    const std::vector<int> times = WorkTimes(kPoints, 5);
    const struct {
        const char* name;
        bool failInBegin;
    } cases[] = {{"write of point 3 fails", false}, {"progress of point 3 fails", true}};
    for (const auto& c : cases) {
        for (int threads : {1, 2, 4}) {
            std::atomic<int> running{0};
            std::atomic<int> computed{0};
            std::vector<int> emitted;
            OrderedPointTasks tasks{[&](int i, CTextSink& sink) {
                                        ++running;
                                        try {
                                            ComputeLines(i, sink, times);
                                        } catch (...) {
                                            --running;
                                            throw;
                                        }
                                        --running;
                                        ++computed;
                                    },
                                    [&](int i) {
                                        if (c.failInBegin && i == 3) throw TextFileWriteError();
                                    },
                                    [&](int i, std::string_view) {
                                        emitted.push_back(i);
                                        if (!c.failInBegin && i == 3) throw TextFileWriteError();
                                    }};
            EXPECT_THROW(RunPointsInOrder(kPoints, tasks, {threads, 2}), TextFileWriteError) << c.name;
            // Nothing is still running once the run has returned, and the window kept the workers
            // from computing far beyond the failure.
            EXPECT_EQ(running.load(), 0) << c.name << threads;
            EXPECT_LE(computed.load(), 3 + 1 + 2 + threads) << c.name << threads;
            EXPECT_EQ(emitted, c.failInBegin ? Iota(3) : Iota(4)) << c.name << threads;
        }
    }
}

}  // namespace
}  // namespace kelmora
