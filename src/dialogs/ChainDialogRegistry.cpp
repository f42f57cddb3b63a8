#include "dialogs/ChainDialogRegistry.h"

#include <utility>

namespace kelmora {

void ChainDialogRegistry::Register(int editMode, ChainDialogFactory factory) {
    factories_[editMode] = std::move(factory);
}

void ChainDialogRegistry::RegisterList(EditLevel level, ChainDialogFactory factory) {
    Register(ModesOf(level).list, std::move(factory));
}

void ChainDialogRegistry::RegisterEditor(EditLevel level, ChainDialogFactory factory) {
    const LevelModes modes = ModesOf(level);
    Register(modes.add, factory);
    Register(modes.change, std::move(factory));
}

const ChainDialogFactory* ChainDialogRegistry::Find(int editMode) const {
    const auto it = factories_.find(editMode);
    return it == factories_.end() ? nullptr : &it->second;
}

}  // namespace kelmora
