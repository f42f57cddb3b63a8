#include "calc/OrderedPointRunner.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "calc/TextOutput.h"

namespace kelmora {
namespace {

// Raised by the sink of a point whose text is no longer wanted. It is not a std::exception so that a
// point's own handlers of failures do not take it for one.
struct PointAbandoned {};

// Collects a point's text in a string.
class StringSink : public CTextSink {
public:
    explicit StringSink(std::string& text) : text_(text) {}
    void Write(std::string_view bytes) override { text_.append(bytes); }

protected:
    std::string& text_;
};

// The one-thread run: compute and hand on each point in turn.
void RunSerially(int count, const OrderedPointTasks& tasks) {
    std::string text;
    for (int index = 0; index < count; ++index) {
        if (tasks.begin) tasks.begin(index);
        text.clear();
        StringSink sink(text);
        try {
            tasks.compute(index, sink);
        } catch (...) {
            if (!text.empty()) tasks.emit(index, text);
            throw;
        }
        tasks.emit(index, text);
    }
}

class ParallelPointRun {
public:
    ParallelPointRun(int count, const OrderedPointTasks& tasks, int window)
        : count_(count),
          tasks_(tasks),
          window_(window),
          claimLimit_(count),
          slots_(static_cast<std::size_t>(window)) {}
    ~ParallelPointRun() { StopAndJoin(); }
    ParallelPointRun(const ParallelPointRun&) = delete;
    ParallelPointRun& operator=(const ParallelPointRun&) = delete;

    // Starts up to `threads` workers; false when not one could be started.
    bool StartWorkers(int threads) {
        for (int t = 0; t < threads; ++t) {
            try {
                workers_.emplace_back([this] { Work(); });
            } catch (const std::system_error&) {
                break;
            }
        }
        return !workers_.empty();
    }

    // The calling thread's part: hands the points on in order.
    void HandOnInOrder() {
        for (int index = 0; index < count_; ++index) {
            if (tasks_.begin) tasks_.begin(index);
            Slot& slot = SlotOf(index);
            {
                std::unique_lock lock(mutex_);
                finished_.wait(lock, [&] { return slot.done; });
            }
            // The finished slot belongs to this thread until it is released below.
            if (slot.error) {
                if (!slot.text.empty()) tasks_.emit(index, slot.text);
                std::rethrow_exception(slot.error);
            }
            if (slot.abandoned) throw std::logic_error("a point was abandoned before an earlier failure");
            tasks_.emit(index, slot.text);
            {
                std::lock_guard lock(mutex_);
                slot.text.clear();  // keeps its capacity for the point `window` places on
                slot.done = false;
                nextToHandOn_ = index + 1;
            }
            claimable_.notify_all();
        }
    }

    void StopAndJoin() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        abandonAbove_.store(-1);
        claimable_.notify_all();
        for (std::thread& worker : workers_) {
            if (worker.joinable()) worker.join();
        }
    }

private:
    struct Slot {
        std::string text;
        bool done = false;
        bool abandoned = false;
        std::exception_ptr error;
    };

    // The sink of one point: refuses writes once the point is no longer wanted.
    class PointSink : public StringSink {
    public:
        PointSink(const ParallelPointRun& run, int index, std::string& text)
            : StringSink(text), run_(run), index_(index) {}
        void Write(std::string_view bytes) override {
            if (index_ > run_.abandonAbove_.load(std::memory_order_relaxed)) throw PointAbandoned{};
            text_.append(bytes);
        }

    private:
        const ParallelPointRun& run_;
        int index_;
    };

    Slot& SlotOf(int index) { return slots_[static_cast<std::size_t>(index % window_)]; }

    void Work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            claimable_.wait(lock, [&] {
                return stopping_ || nextToClaim_ >= claimLimit_ || nextToClaim_ < nextToHandOn_ + window_;
            });
            if (stopping_ || nextToClaim_ >= claimLimit_) return;
            const int index = nextToClaim_++;
            Slot& slot = SlotOf(index);
            slot.abandoned = false;
            slot.error = nullptr;
            lock.unlock();

            std::exception_ptr error;
            bool abandoned = false;
            try {
                PointSink sink(*this, index, slot.text);
                tasks_.compute(index, sink);
            } catch (const PointAbandoned&) {
                abandoned = true;
            } catch (...) {
                error = std::current_exception();
            }

            lock.lock();
            if (error) {
                // Later points cannot be handed on any more: start none, and stop those running.
                claimLimit_ = std::min(claimLimit_, index + 1);
                int above = abandonAbove_.load();
                while (index < above && !abandonAbove_.compare_exchange_weak(above, index)) {
                }
            }
            slot.error = error;
            slot.abandoned = abandoned;
            slot.done = true;
            finished_.notify_all();
        }
    }

    const int count_;
    const OrderedPointTasks& tasks_;
    const int window_;

    std::mutex mutex_;
    std::condition_variable claimable_;  // workers: a point may be claimed, or the run stops
    std::condition_variable finished_;   // the calling thread: a point is finished
    int nextToClaim_ = 0;
    int nextToHandOn_ = 0;
    int claimLimit_;  // points from here on are not started
    bool stopping_ = false;
    // Writes of points above this index are refused.
    std::atomic<int> abandonAbove_{INT_MAX};
    std::vector<Slot> slots_;
    std::vector<std::thread> workers_;
};

}  // namespace

int PointThreadCount(int requested) {
    if (requested > 0) return requested;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void RunPointsInOrder(int count, const OrderedPointTasks& tasks, OrderedPointSettings settings) {
    if (count <= 0) return;
    const int threads = std::min(PointThreadCount(settings.threads), count);
    if (threads == 1) {
        RunSerially(count, tasks);
        return;
    }
    const int window = settings.window > 0 ? settings.window : 2 * threads;
    ParallelPointRun run(count, tasks, window);
    if (!run.StartWorkers(threads)) {
        RunSerially(count, tasks);
        return;
    }
    run.HandOnInOrder();
    run.StopAndJoin();
}

}  // namespace kelmora
