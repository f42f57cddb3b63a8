#pragma once
// Computes the prediction points of a run in parallel while their text still comes out in point
// order, byte for byte as a run on one thread writes it.
//
// Each point is computed on a worker thread into its own memory buffer; the calling thread hands the
// buffers on in point order as soon as each is complete. Workers run at most `window` points ahead of
// the next one to be handed on and wait when they get there, so only a small number of finished
// points is ever held in memory. The runner knows nothing of acoustics: the prediction run supplies
// what a point computes and where its text goes.
#include <functional>
#include <string_view>

namespace kelmora {

class CTextSink;

struct OrderedPointTasks {
    // Computes point `index` (from 0) and writes its text to `sink`. Runs on a worker thread (on the
    // calling thread in a run with one thread). May throw. Once the point's text can no longer be
    // used — an earlier point failed or the run is stopping — a write to `sink` throws an exception
    // that is not a std::exception; let it pass.
    std::function<void(int index, CTextSink& sink)> compute;
    // Optional: called on the calling thread in point order when the run turns to point `index`,
    // before its text is awaited (in a run with one thread: before it is computed). May throw.
    std::function<void(int index)> begin;
    // Called on the calling thread in point order with the whole text of point `index`. May throw.
    std::function<void(int index, std::string_view text)> emit;
};

struct OrderedPointSettings {
    int threads = 0;  // worker threads; ≤ 0: one per core
    int window = 0;   // points computed or waiting ahead of the next one handed on; ≤ 0: twice the threads
};

// The number of worker threads for a request of `requested` (≤ 0: one per core); at least 1.
int PointThreadCount(int requested);

// Computes points 0 … count − 1 and hands their text on in order. Returns when every point is handed
// on and every worker thread has ended.
//
// A failure ends the run as it would end a run on one thread: the failure of the lowest point wins
// (whichever thread noticed a failure first), every point before it is handed on in full, then the
// text that the failing point wrote before it failed, and its exception is rethrown. A failure of
// `begin` or `emit` ends the run at that point. Points after a failure are abandoned at their next
// write or not started (a point that writes nothing runs to its end); all worker threads are joined
// before the exception leaves.
void RunPointsInOrder(int count, const OrderedPointTasks& tasks, OrderedPointSettings settings = {});

}  // namespace kelmora
