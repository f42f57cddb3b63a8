#include "calc/SourceContributions.h"

#include <algorithm>
#include <cmath>

#include "calc/PrintfFormat.h"

namespace kelmora {
namespace {

double Energy(double level) {
    return level <= kNoSoundLevel ? 0.0 : std::pow(10.0, level / 10.0);
}

void Rank(std::vector<RankedShare>& rows) {
    double total = 0.0;
    for (const RankedShare& r : rows)
        total += Energy(r.laeq);
    for (RankedShare& r : rows)
        r.percent = total > 0.0 ? 100.0 * Energy(r.laeq) / total : 0.0;
    std::stable_sort(rows.begin(), rows.end(), [](const RankedShare& a, const RankedShare& b) {
        if (a.laeq != b.laeq) return a.laeq > b.laeq;
        return a.lamax > b.lamax;
    });
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].rank = static_cast<int>(i) + 1;
}

}  // namespace

std::vector<UserSourceInfo> UserSourceInfos(const CNoise& model) {
    std::vector<UserSourceInfo> infos;
    int k = 0;
    for (const CSound& s : model.outdoorSources)
        infos.push_back({Format("外部音源%d", {++k}), s.memo, -1});
    for (std::size_t b = 0; b < model.buildings.size(); ++b) {
        const CBuilding& building = model.buildings[b];
        for (std::size_t r = 0; r < building.rooms.size(); ++r) {
            const CRoom& room = building.rooms[r];
            for (std::size_t s = 0; s < room.sources.size(); ++s) {
                infos.push_back(
                    {Format("建物%d-室%d-音源%d",
                            {static_cast<int>(b) + 1, static_cast<int>(r) + 1, static_cast<int>(s) + 1}),
                     room.sources[s].memo, static_cast<int>(b)});
            }
        }
    }
    return infos;
}

std::string BuildingGroupName(int building) {
    return Format("建物%d", {building + 1});
}

SourceShare ShareFromTransfer(const CSound& source, const PairTransfer* pair, double targetTime) {
    SourceShare share;
    if (pair == nullptr || !pair->reached) return share;
    // As the run adds them up into the point's levels, so that the shares add up to them.
    const SourceContribution c = ContributionFromTransfer(source, *pair, targetTime);
    share.reached = c.reached;
    share.laeq = c.laeq;
    share.lamax = c.lamax;
    share.laeqOverall = share.laeq.overallLevel();
    share.lamaxOverall = share.lamax.overallLevel();
    return share;
}

std::vector<SourceShare> PointShares(const CNoise& model, const CTransferMatch& match, std::size_t point) {
    const std::vector<const CSound*> sources = UserSources(model);
    const StoredPairs pairs = match.At(point);
    std::vector<SourceShare> shares;
    shares.reserve(sources.size());
    for (std::size_t s = 0; s < sources.size(); ++s)
        shares.push_back(ShareFromTransfer(*sources[s], pairs[s], model.targetTime));
    return shares;
}

std::vector<SourceShare> PointShares(const CNoise& model, const CTransferStore& store, std::size_t point) {
    if (!TransfersFit(model, store)) return {};
    const std::vector<Fingerprint> keys = UserSourceKeys(model);
    const std::vector<CVector3D> positions = RunPointPositions(model);
    return PointShares(model, CTransferMatch(store, keys, positions), point);
}

double EnergySumLevel(std::span<const double> levels) {
    double energy = 0.0;
    for (const double l : levels)
        energy += Energy(l);
    return energy > 0.0 ? 10.0 * std::log10(energy) : kNoSoundLevel;
}

std::vector<RankedShare> RankShares(std::span<const SourceShare> shares,
                                    std::span<const UserSourceInfo> infos) {
    std::vector<RankedShare> rows;
    for (std::size_t s = 0; s < shares.size() && s < infos.size(); ++s)
        rows.push_back(
            {infos[s].name, infos[s].memo, shares[s].laeqOverall, shares[s].lamaxOverall, 0.0, 0, s});
    Rank(rows);
    return rows;
}

std::vector<RankedShare> RankSharesByBuilding(std::span<const SourceShare> shares,
                                              std::span<const UserSourceInfo> infos) {
    std::vector<RankedShare> rows;
    std::vector<std::vector<double>> laeq, lamax;  // per row, its sources' partials
    std::vector<int> rowOfBuilding;
    for (std::size_t s = 0; s < shares.size() && s < infos.size(); ++s) {
        const int b = infos[s].building;
        std::size_t row = rows.size();
        if (b >= 0) {
            if (static_cast<std::size_t>(b) >= rowOfBuilding.size()) rowOfBuilding.resize(b + 1, -1);
            if (rowOfBuilding[b] < 0) {
                rowOfBuilding[b] = static_cast<int>(rows.size());
                rows.push_back({BuildingGroupName(b), "", kNoSoundLevel, kNoSoundLevel, 0.0, 0, s});
                laeq.emplace_back();
                lamax.emplace_back();
            }
            row = static_cast<std::size_t>(rowOfBuilding[b]);
        } else {
            rows.push_back({infos[s].name, infos[s].memo, kNoSoundLevel, kNoSoundLevel, 0.0, 0, s});
            laeq.emplace_back();
            lamax.emplace_back();
        }
        laeq[row].push_back(shares[s].laeqOverall);
        lamax[row].push_back(shares[s].lamaxOverall);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        rows[r].laeq = EnergySumLevel(laeq[r]);
        rows[r].lamax = EnergySumLevel(lamax[r]);
    }
    Rank(rows);
    return rows;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string ContributionsCsv(const CNoise& model, const CTransferStore& store) {
    if (!TransfersFit(model, store)) return {};
    const std::vector<UserSourceInfo> infos = UserSourceInfos(model);
    const std::vector<Fingerprint> keys = UserSourceKeys(model);
    const std::vector<CVector3D> positions = RunPointPositions(model);
    const CTransferMatch match(store, keys, positions);
    const std::span<const CPredictivePoint> points = model.calcInfo.PredictionPoints();
    std::string out = "予測点,X[m],Y[m],Z[m],音源,メモ,LAeqT[dB],LAmax[dB],寄与率[%],順位\n";
    for (std::size_t i = 0; i < points.size(); ++i) {
        const CPredictivePoint& p = points[i];
        const std::string label = p.label.empty() ? Format("%d", {static_cast<int>(i) + 1}) : p.label;
        const std::string head =
            CsvField(label) + Format(",%.3f,%.3f,%.3f,", {p.position.x, p.position.y, p.position.z});
        const std::vector<SourceShare> shares = PointShares(model, match, i);
        for (const RankedShare& r : RankShares(shares, infos)) {
            out += head + CsvField(r.name) + "," + CsvField(r.memo) +
                   Format(",%.1f,%.1f,%.1f,%d\n", {r.laeq, r.lamax, r.percent, r.rank});
        }
    }
    return out;
}

}  // namespace kelmora
