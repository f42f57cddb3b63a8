#pragma once
// The plan's two layers as display lists: the base layer (background, picture, the whole model and the
// corner labels) and the editing overlay (the objects under edit, highlighted), and which of them a
// redraw hint rebuilds.
#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/DisplayList.h"
#include "view/EditState.h"
#include "view/PlanLabels.h"

namespace kelmora {

// What the plan draws from: the document's stored model, its working copy, its edit state, and the
// window's view data with whether its background picture is loaded.
struct PlanSceneInputs {
    const CNoise& model;
    const CNoise& workingCopy;
    const EditState& edit;
    const CKelmoraViewData& viewData;
    bool hasPicture = false;
    // A noise map shown with the plan: its bands and iso-lines over the picture and under every model
    // object, its legend over the whole base layer. Null when no map is shown.
    const DisplayLayer* mapBeneath = nullptr;
    const DisplayLayer* mapAbove = nullptr;
    // The crosses of a computed grid's points (off over a noise map that shows their levels).
    bool gridCrosses = true;
    // The model coordinates at the picture's corners (off on a printed page, which has its own frame).
    bool cornerLabels = true;
    // The labels switched on in the view menu.
    PlanLabels labels{};
    // The objects an import would add, drawn over everything in the overlay while its dialog is open;
    // null otherwise.
    const CNoise* importPreview = nullptr;
};

// The stored model while no list or editor is open (edit modes 0, 1, 2), the working copy otherwise.
const CNoise& ModelToDraw(const PlanSceneInputs& in);

// The base layer: the background colour and the picture (left out while a calculation runs, so the
// layer keeps its previous pixels under the model), the noise map's bands, ground lines with their walls,
// buildings (roofs, exterior walls, rooms with openings and room sources), outdoor sources, prediction points
// (not while the prediction dialog shows its own), the labels switched on and the corner labels. The objects
// under edit are left to the overlay. The map's legend comes last.
DisplayLayer DrawBase(const PlanSceneInputs& in);

// The overlay over a copy of the base: the import preview when there is one; nothing else while no list
// or editor is open; otherwise the current ground line, wall, building, roof, exterior wall, room, the
// openings of the opening editors, the current sources and the prediction dialog's points.
DisplayLayer DrawOverlay(const PlanSceneInputs& in);

// How the composed layer (what the window shows) is brought up to date.
enum class ComposeStep {
    None,
    CopyPictureArea,     // the top-left imageWidth × imageHeight pixels of the base, no overlay
    CopyBaseAndOverlay,  // the whole base, then the overlay drawn over it
};

// What one redraw hint asks of the plan window. Hint 6 rebuilds the layers at the window's client size
// (base and overlay both redrawn); unknown hints do nothing.
struct HintEffect {
    bool rebuildLayers = false;
    bool redrawBase = false;
    ComposeStep compose = ComposeStep::None;
    bool repaint = false;

    friend bool operator==(const HintEffect&, const HintEffect&) = default;
};
HintEffect EffectOfHint(int hint);

// Applies a hint to the display lists of the two layers: the base is redrawn for hints 1, 2, 5 and 6,
// the overlay for 4, 5 and 6. Returns the hint's effect for the window to carry out.
HintEffect UpdateLayers(PlanDisplayList& layers, int hint, const PlanSceneInputs& in);

}  // namespace kelmora
