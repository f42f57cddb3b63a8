#pragma once
// Counts of the work that the path searches and the path evaluations do on the calling thread, read by
// the benchmarks to show what a change removed: how many candidates were enumerated, how far they got,
// how many segments were searched for obstacles. Counting costs an increment per event; nothing in the
// calculation reads the counts.
#include <cstdint>

namespace kelmora {

struct CWorkCounters {
    // Path search
    std::uint64_t pairs = 0;          // source–point pairs whose paths were searched
    std::uint64_t sceneFaces = 0;     // faces of their scenes, summed
    std::uint64_t sequences = 0;      // face sequences enumerated, the direct path included
    std::uint64_t sequencesLegs = 0;  // sequences whose reflection points allowed their legs to be processed
    std::uint64_t legsProcessed = 0;  // legs worked on (ProcessLeg)
    std::uint64_t placements = 0;     // diffraction placements tried on a copy of a path
    std::uint64_t validations = 0;    // completed candidates handed to the validation
    std::uint64_t pathsEmitted = 0;   // paths that passed it
    std::uint64_t blockingAsked = 0;  // blocking questions of the path search (answered or repeated)
    std::uint64_t blockingSearches = 0;  // blocking searches made, the diffuse reflections' ones included
    std::uint64_t faceTests = 0;         // segment–face intersection tests
    // Path evaluation
    std::uint64_t pairsSharingPaths = 0;       // pairs whose paths are those of the source before them
    std::uint64_t pathsEvaluated = 0;          // paths turned into a level at the point
    std::uint64_t diffractionCorrections = 0;  // single and double diffraction corrections of the legs

    friend CWorkCounters operator-(const CWorkCounters& a, const CWorkCounters& b) {
        CWorkCounters d;
        d.pairs = a.pairs - b.pairs;
        d.sceneFaces = a.sceneFaces - b.sceneFaces;
        d.sequences = a.sequences - b.sequences;
        d.sequencesLegs = a.sequencesLegs - b.sequencesLegs;
        d.legsProcessed = a.legsProcessed - b.legsProcessed;
        d.placements = a.placements - b.placements;
        d.validations = a.validations - b.validations;
        d.pathsEmitted = a.pathsEmitted - b.pathsEmitted;
        d.blockingAsked = a.blockingAsked - b.blockingAsked;
        d.blockingSearches = a.blockingSearches - b.blockingSearches;
        d.faceTests = a.faceTests - b.faceTests;
        d.pairsSharingPaths = a.pairsSharingPaths - b.pairsSharingPaths;
        d.pathsEvaluated = a.pathsEvaluated - b.pathsEvaluated;
        d.diffractionCorrections = a.diffractionCorrections - b.diffractionCorrections;
        return d;
    }
};

// The counters of the calling thread (each thread counts its own work).
inline thread_local CWorkCounters tWorkCounters;
inline CWorkCounters& WorkCounters() {
    return tWorkCounters;
}

}  // namespace kelmora
