#pragma once
// A what-if scenario as a model: the model with the scenario's sources switched off (their average and
// maximum powers at no sound, −100 dB in every band) or lowered or raised by some decibels. Only powers
// change, so a copy of the model with the scenario applied is re-predicted from the transfers of the
// last run (RecomputeFromTransfers) exactly as a full run of that model would compute it.
#include <optional>
#include <string>
#include <vector>

#include "calc/Transfers.h"
#include "model/Noise.h"
#include "model/Scenarios.h"

namespace kelmora {

// `model` with every adjustment of `scenario` applied to the user source it names (UserSourceInfos);
// the names of adjustments that name no source of the model go to `unknown` (may be null).
CNoise ApplyScenario(const CNoise& model, const Scenario& scenario,
                     std::vector<std::string>* unknown = nullptr);

// The scenario of `name` among `scenarios`, or null.
const Scenario* FindScenario(const Scenarios& scenarios, const std::string& name);

// The adjustments that change something (off, or a gain other than 0), in user source order.
std::vector<SourceAdjustment> EffectiveAdjustments(const std::vector<SourceAdjustment>& adjustments);

// The model with the scenario applied and every point re-predicted from `store`, which must hold the
// transfers of a run of `model` (InstantUpdatePossible); none otherwise.
std::optional<CNoise> ScenarioFromTransfers(const CNoise& model, const Scenario& scenario,
                                            const CTransferStore& store);

}  // namespace kelmora
