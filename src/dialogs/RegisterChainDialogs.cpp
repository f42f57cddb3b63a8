// The chain dialogs of the program, one line each.
#include "dialogs/ChainDialogRegistry.h"
#include "dialogs/SizeChangeDialog.h"

namespace kelmora {

void RegisterChainDialogs(ChainDialogRegistry& registry) {
    registry.Register(kSizeChangeMode, [](ChainHost& host, const DialogRequest& request, QWidget* parent) {
        return new SizeChangeDialog(host, request, parent);
    });
}

}  // namespace kelmora
