// The chain dialogs of the program, one line each.
#include "dialogs/ChainDialogRegistry.h"
#include "dialogs/ChainListDialog.h"
#include "dialogs/SizeChangeDialog.h"

namespace kelmora {

void RegisterChainDialogs(ChainDialogRegistry& registry) {
    registry.Register(kSizeChangeMode, [](ChainHost& host, const DialogRequest& request, QWidget* parent) {
        return new SizeChangeDialog(host, request, parent);
    });
    registry.RegisterList(EditLevel::GroundLine, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Wall, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Building, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Roof, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::ExteriorWall, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Room, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::Opening, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::RoomSource, &ChainListDialog::Make);
    registry.RegisterList(EditLevel::OutdoorSource, &ChainListDialog::Make);
}

}  // namespace kelmora
