#pragma once
// What each user source adds at each prediction point of a run (its partial LAeqT and LAmax and its
// band spectrum there), taken from the run's transfers (Transfers.h) and the sources' current powers
// and time patterns, so that no path is traced. The partials of a point add up in energy to the
// point's levels as the run computes them; a building's indoor sources can be taken together.
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "calc/Transfers.h"
#include "model/Band.h"
#include "model/Noise.h"

namespace kelmora {

// A user source as results name it: "外部音源k" for the k-th outdoor source, "建物b-室r-音源s" for
// the s-th source of room r of building b (all from 1), with its memo and, for a room source, the
// index of its building (from 0; −1 for an outdoor source).
struct UserSourceInfo {
    std::string name;
    std::string memo;
    int building = -1;
};

// The user sources of the model in UserSources order.
std::vector<UserSourceInfo> UserSourceInfos(const CNoise& model);

// The building group of a room source's building b (from 0): "建物b+1".
std::string BuildingGroupName(int building);

// One source's share of one point. `laeq` and `lamax` are the spectra [dB] in bands of the kind of
// the source's average power; the overall levels are theirs. A source that does not reach the point
// has no sound (−100) in both.
struct SourceShare {
    bool reached = false;
    CBand laeq = CBand::Filled(kNoSoundLevel);
    CBand lamax = CBand::Filled(kNoSoundLevel);
    double laeqOverall = kNoSoundLevel;   // dB, partial LAeqT
    double lamaxOverall = kNoSoundLevel;  // dB, partial LAmax
};

// The share of `source` at a point from its transfer there (null: it does not reach the point).
SourceShare ShareFromTransfer(const CSound& source, const PairTransfer* pair, double targetTime);

// The shares of every user source of the model at run point i (index into PredictionPoints), in
// UserSources order, from the store's pairs that `match` finds for the model's sources and points
// (CTransferMatch over UserSourceKeys and RunPointPositions of the model). A source without a stored
// pair there has no sound.
std::vector<SourceShare> PointShares(const CNoise& model, const CTransferMatch& match, std::size_t point);

// The same, matching the store to the model for this one call; empty when the store does not fit the
// model (TransfersFit).
std::vector<SourceShare> PointShares(const CNoise& model, const CTransferStore& store, std::size_t point);

// One row of a point's ranked contributions.
struct RankedShare {
    std::string name;
    std::string memo;
    double laeq = kNoSoundLevel;   // dB, partial LAeqT
    double lamax = kNoSoundLevel;  // dB, partial LAmax
    double percent = 0.0;          // share of the point's LAeqT energy [%]
    int rank = 0;                  // 1 for the loudest in LAeqT; equal levels keep source order
    std::size_t source = 0;        // the UserSources index (of the first source for a group)
};

// The shares ranked by partial LAeqT (then LAmax), loudest first; sources that do not reach the point
// come last with no sound.
std::vector<RankedShare> RankShares(std::span<const SourceShare> shares,
                                    std::span<const UserSourceInfo> infos);

// The same with the indoor sources of each building taken together under BuildingGroupName, the
// outdoor sources one by one: a group's levels are the energy sums of its sources' shares.
std::vector<RankedShare> RankSharesByBuilding(std::span<const SourceShare> shares,
                                              std::span<const UserSourceInfo> infos);

// The energy sum of levels [dB], −100 for no energy.
double EnergySumLevel(std::span<const double> levels);

// The table of contributions of every point of a run as CSV text (UTF-8, "\n" line ends; write it
// with AppendTextFileBytes for the CP932 file): a header line
// "予測点,X[m],Y[m],Z[m],音源,メモ,LAeqT[dB],LAmax[dB],寄与率[%],順位", then per point (stored order)
// and per ranked source one line. The point column holds the point's label, or its number from 1
// when it has none. Empty when the store does not fit the model.
std::string ContributionsCsv(const CNoise& model, const CTransferStore& store);

// A CSV field: quoted (with doubled quotes) when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace kelmora
