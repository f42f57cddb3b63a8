#pragma once
// The dialogs of the editing chains, found by the edit mode they serve. The document opens whatever
// dialog a ChainStep names through this registry, so a new list or editor is one class and one line in
// RegisterChainDialogs — the chain itself does not change.
//
// Keys are edit modes (view/EditState.h): a list's mode, an editor's add and change modes (one factory
// may serve both; it reads DialogRequest::editMode), 2 for the size dialog, 30 for the prediction
// dialog. A mode without a factory is reported to the user by the document and its chain is cancelled.
#include <functional>
#include <map>

#include "dialogs/ChainDialog.h"

namespace kelmora {

// Makes the dialog of request.editMode for a document; the document shows it and deletes it when it
// has finished.
using ChainDialogFactory =
    std::function<ChainDialog*(ChainHost& host, const DialogRequest& request, QWidget* parent)>;

class ChainDialogRegistry {
public:
    // The factory for one edit mode (replacing any earlier one).
    void Register(int editMode, ChainDialogFactory factory);
    // The same factory for every mode of a level: its list, add and change modes (EditLevels.h).
    void RegisterList(EditLevel level, ChainDialogFactory factory);
    void RegisterEditor(EditLevel level, ChainDialogFactory factory);

    // The factory of an edit mode, or null.
    const ChainDialogFactory* Find(int editMode) const;

private:
    std::map<int, ChainDialogFactory> factories_;
};

// Registers every chain dialog of the program. Each dialog adds its line in RegisterChainDialogs.cpp.
void RegisterChainDialogs(ChainDialogRegistry& registry);

}  // namespace kelmora
