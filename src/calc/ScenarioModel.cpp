#include "calc/ScenarioModel.h"

#include <algorithm>

#include "calc/SourceContributions.h"

namespace kelmora {
namespace {

void AdjustPower(CBand& band, const SourceAdjustment& a) {
    for (int b = 0; b < band.bandCount(); ++b)
        band.value(b) = a.on ? band.value(b) + a.gainDb : kNoSoundLevel;
    band.syncRepresentations();
}

// The user sources of the model in UserSources order, to be changed.
std::vector<CSound*> MutableUserSources(CNoise& model) {
    std::vector<CSound*> sources;
    for (CSound& s : model.outdoorSources)
        sources.push_back(&s);
    for (CBuilding& building : model.buildings) {
        for (CRoom& room : building.rooms) {
            for (CSound& s : room.sources)
                sources.push_back(&s);
        }
    }
    return sources;
}

}  // namespace

CNoise ApplyScenario(const CNoise& model, const Scenario& scenario, std::vector<std::string>* unknown) {
    CNoise variant = model;
    const std::vector<UserSourceInfo> infos = UserSourceInfos(variant);
    const std::vector<CSound*> sources = MutableUserSources(variant);
    for (const SourceAdjustment& a : scenario.adjustments) {
        const auto it = std::find_if(infos.begin(), infos.end(),
                                     [&](const UserSourceInfo& i) { return i.name == a.source; });
        if (it == infos.end()) {
            if (unknown != nullptr) unknown->push_back(a.source);
            continue;
        }
        if (a.on && a.gainDb == 0.0) continue;
        CSound& source = *sources[static_cast<std::size_t>(it - infos.begin())];
        AdjustPower(source.powerAverage, a);
        AdjustPower(source.powerMax, a);
    }
    return variant;
}

const Scenario* FindScenario(const Scenarios& scenarios, const std::string& name) {
    const auto it =
        std::find_if(scenarios.begin(), scenarios.end(), [&](const Scenario& s) { return s.name == name; });
    return it == scenarios.end() ? nullptr : &*it;
}

std::vector<SourceAdjustment> EffectiveAdjustments(const std::vector<SourceAdjustment>& adjustments) {
    std::vector<SourceAdjustment> out;
    for (const SourceAdjustment& a : adjustments) {
        if (!a.on || a.gainDb != 0.0) out.push_back({a.source, a.on, a.on ? a.gainDb : 0.0});
    }
    return out;
}

std::optional<CNoise> ScenarioFromTransfers(const CNoise& model, const Scenario& scenario,
                                            const CTransferStore& store) {
    CNoise variant = ApplyScenario(model, scenario);
    if (!InstantUpdatePossible(model, variant, store) || !RecomputeFromTransfers(variant, store))
        return std::nullopt;
    return variant;
}

}  // namespace kelmora
