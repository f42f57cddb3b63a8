// The chain dialogs of the program, one line each.
#include "dialogs/ChainDialogRegistry.h"
#include "dialogs/ChainListDialog.h"
#include "dialogs/EditorDialog.h"
#include "dialogs/PredictionDialog.h"
#include "dialogs/SizeChangeDialog.h"

namespace kelmora {

void RegisterChainDialogs(ChainDialogRegistry& registry) {
    registry.Register(kSizeChangeMode, [](ChainHost& host, const DialogRequest& request, QWidget* parent) {
        return new SizeChangeDialog(host, request, parent);
    });
    registry.Register(kPredictionMode, &PredictionDialog::Make);
    registry.RegisterList(EditLevel::GroundLine, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Wall, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Building, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Roof, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::ExteriorWall, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Room, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Opening, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::RoomSource, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::OutdoorSource, &ChainListDialog::Make);
    // The editors: one window for all, each built from its editor's field table.
    registry.RegisterEditor(EditLevel::GroundLine, &EditorDialog::Make);
    registry.RegisterEditor(EditLevel::Wall, &EditorDialog::Make);
    registry.RegisterEditor(EditLevel::Building, &EditorDialog::Make);
    registry.RegisterEditor(EditLevel::Roof, &EditorDialog::Make);
    registry.RegisterEditor(EditLevel::ExteriorWall, &EditorDialog::Make);
    registry.RegisterEditor(EditLevel::Room, &EditorDialog::Make);
    registry.RegisterEditor(EditLevel::Opening, &EditorDialog::Make);
    registry.RegisterEditor(EditLevel::RoomSource, &EditorDialog::Make);
    registry.RegisterEditor(EditLevel::OutdoorSource, &EditorDialog::Make);
}

}  // namespace kelmora
