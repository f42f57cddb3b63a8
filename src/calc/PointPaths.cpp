#include "calc/PointPaths.h"

#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

#include "calc/OpeningSources.h"
#include "calc/PathEvaluation.h"
#include "calc/PointPrediction.h"
#include "calc/Transfers.h"
#include "model/PredictivePoint.h"
#include "propagation/PathNode.h"

namespace kelmora {
namespace {

void AddDiffraction(PointPath& path, std::span<const CRectObstacle> scene, FaceIndex face,
                    const CVector3D& point, std::int32_t cross) {
    if (face == kNoFace) return;
    const bool passesBeside = cross != kPassesOver;
    path.nodes.push_back({PathNodeRole::Diffraction, point, !passesBeside});
    path.faces.push_back({PathFaceRole::Diffraction, scene[face].name, passesBeside});
    ++path.diffractions;
}

PathKind KindOf(const PointPath& path) {
    if (!path.opening.empty() || path.nodes.front().role == PathNodeRole::RoomSource)
        return PathKind::ThroughOpening;
    if (path.reflections > 0) return PathKind::Reflected;
    if (path.diffractions > 0) return PathKind::Diffracted;
    return PathKind::Direct;
}

// The nodes and faces of path k of a traced pair, in the order the sound meets them.
PointPath PathGeometry(const PredictionSite& site, const TracedPair& pair, std::size_t k) {
    const CPropagationPath& nodes = pair.attenuation.PathNodes(k);
    PointPath path;
    path.userSource = pair.user;
    if (pair.gain != nullptr) {
        path.opening = SourceMemo(pair.source);
        path.nodes.push_back({PathNodeRole::RoomSource, site.userSources[pair.user]->position});
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const CPathRInfo& node = nodes[i];
        if (i == 0) {
            path.nodes.push_back({PathNodeRole::Source, node.point});
            continue;
        }
        AddDiffraction(path, pair.scene, node.diffractorX, node.pointX, node.crossX);
        AddDiffraction(path, pair.scene, node.diffractorY, node.pointY, node.crossY);
        if (i + 1 == nodes.size()) {
            path.nodes.push_back({PathNodeRole::Receiver, node.point});
        } else {
            path.nodes.push_back({PathNodeRole::Reflection, node.point});
            path.faces.push_back({PathFaceRole::Reflection, pair.scene[node.face].name});
            ++path.reflections;
        }
    }
    path.kind = KindOf(path);
    return path;
}

// The overall level [dB] of a spectrum taken into the representation of the point's results.
double OverallAtPoint(const CBand& level) {
    CBand atPoint = CBand::Filled(kNoSoundLevel);
    atPoint.addEnergy(level);
    return atPoint.overallLevel();
}

double Energy(double level) {
    return std::pow(10.0, level / 10.0);
}

void SetShares(PointPaths& result) {
    double total = 0.0;
    for (const PointPath& p : result.paths)
        total += Energy(p.laeq);
    for (PointPath& p : result.paths)
        p.share = total > 0.0 ? Energy(p.laeq) / total : 0.0;
}

}  // namespace

PointPaths FindPointPaths(const PredictionSite& site, const CVector3D& position,
                          std::optional<std::size_t> userSource, const CLongJob* job) {
    PointPaths result;
    result.position = position;
    result.userSource = userSource;
    // An underground point is not computed by a run either.
    result.aboveGround = PointAboveGround(site, position);
    if (!result.aboveGround) return result;

    const std::size_t users = site.userSources.size();
    for (std::size_t s = 0; s < users; ++s) {
        if (!userSource || *userSource == s) result.sources.push_back({s, SourceOutcome::NoPath});
    }
    const auto outcomeOf = [&result](std::size_t user) -> SourceOutcome& {
        for (PointPathsSource& s : result.sources) {
            if (s.userSource == user) return s.outcome;
        }
        return result.sources.front().outcome;  // every traced user source is listed
    };

    PointTransfers transfers;
    transfers.position = position;
    transfers.computed = true;
    transfers.pairs.assign(users, PairTransfer{});
    const double targetTime = site.model.targetTime;
    TracePairsAtPoint(
        site, position, [&userSource](std::size_t user) { return !userSource || *userSource == user; },
        [&](const TracedPair& pair) {
            SourceOutcome& outcome = outcomeOf(pair.user);
            if (pair.skipped) {
                // An opening source of a room source is skipped patch by patch; one that reaches counts.
                if (outcome == SourceOutcome::NoPath)
                    outcome = *pair.skipped == SourceSkip::BelowGround ? SourceOutcome::BelowGround
                                                                       : SourceOutcome::TooFar;
                return;
            }
            PairTransfer& transfer = transfers.pairs[pair.user];
            if (AccumulateTransfer(pair.attenuation, pair.gain, transfer.energy)) {
                transfer.reached = true;
                outcome = SourceOutcome::Reached;
            }
            const CSound& user = *site.userSources[pair.user];
            for (std::size_t k = 0; k < pair.attenuation.pathCount(); ++k) {
                PointPath path = PathGeometry(site, pair, k);
                path.level = user.powerAverage;
                const CBand attenuation = pair.attenuation.PathAttenuation(k);
                for (int b = 0; b < path.level.bandCount(); ++b) {
                    path.level.value(b) += attenuation.value(b);
                    if (pair.gain != nullptr) path.level.value(b) += pair.gain->value(b);
                }
                path.laeq = OverallAtPoint(TimeWeighting(user, path.level, targetTime));
                path.lamax = OverallAtPoint(MaximumLevel(user, path.level));
                result.paths.push_back(std::move(path));
            }
        },
        job);

    CPredictivePoint point;
    point.position = position;
    LevelsFromTransfers(site.userSources, transfers, targetTime, point);
    result.average = point.resultAverage;
    result.maximum = point.resultMax;
    result.laeq = result.average.overallLevel();
    result.lamax = result.maximum.overallLevel();
    SetShares(result);
    return result;
}

std::optional<PointPaths> FindPointPaths(const CNoise& model, std::size_t pointIndex,
                                         std::optional<std::size_t> userSource, const CLongJob* job) {
    CNoise copy = model;
    const std::span<const CPredictivePoint> points = copy.calcInfo.PredictionPoints();
    if (pointIndex >= points.size()) return std::nullopt;
    const CVector3D position = points[pointIndex].position;
    BuildOpeningSources(copy);
    const PredictionSite site(copy);
    if (userSource && *userSource >= site.userSources.size()) return std::nullopt;
    return FindPointPaths(site, position, userSource, job);
}

std::string PathKindText(const PointPath& path) {
    std::string text = path.kind == PathKind::ThroughOpening ? "開口部" : "";
    const auto add = [&text](const std::string& item) { text += (text.empty() ? "" : "・") + item; };
    if (path.reflections > 0) add("反射(" + std::to_string(path.reflections) + ")");
    if (path.diffractions > 0) add("回折(" + std::to_string(path.diffractions) + ")");
    return text.empty() ? PathKindName(PathKind::Direct) : text;
}

std::string PathFacesText(const PointPath& path) {
    std::string text;
    const auto add = [&text](const std::string& item) { text += (text.empty() ? "" : " → ") + item; };
    if (path.kind == PathKind::ThroughOpening)
        add(path.opening.empty() ? "開口部" : "開口部 " + path.opening);
    for (const PathFace& face : path.faces) {
        if (face.role == PathFaceRole::Reflection)
            add("反射 " + face.name);
        else
            add((face.passesBeside ? "回折(交差無し) " : "回折 ") + face.name);
    }
    return text;
}

std::string UserSourceLabel(const CNoise& model, std::size_t index) {
    if (index < model.outdoorSources.size()) {
        const std::string& memo = model.outdoorSources[index].memo;
        return "外部音源" + std::to_string(index + 1) + (memo.empty() ? "" : "(" + memo + ")");
    }
    std::size_t k = model.outdoorSources.size();
    for (const CBuilding& building : model.buildings) {
        for (const CRoom& room : building.rooms) {
            for (const CSound& source : room.sources) {
                if (k == index) {
                    std::string memo = building.memo;
                    for (const std::string* part : {&room.memo, &source.memo}) {
                        if (part->empty()) continue;
                        memo += (memo.empty() ? "" : ":") + *part;
                    }
                    const std::size_t number = index - model.outdoorSources.size() + 1;
                    return "室内音源" + std::to_string(number) + (memo.empty() ? "" : "(" + memo + ")");
                }
                ++k;
            }
        }
    }
    return {};
}

}  // namespace kelmora
