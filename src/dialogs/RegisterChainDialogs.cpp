// The chain dialogs of the program, one line each.
#include "dialogs/ChainDialogRegistry.h"
#include "dialogs/EditorDialog.h"

namespace kelmora {

void RegisterChainDialogs(ChainDialogRegistry& registry) {
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
