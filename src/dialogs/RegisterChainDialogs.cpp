// The chain dialogs of the program, one line each.
#include "dialogs/ChainDialogRegistry.h"

namespace kelmora {

void RegisterChainDialogs(ChainDialogRegistry& registry) {
    (void)registry;
}

}  // namespace kelmora
