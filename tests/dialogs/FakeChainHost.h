#pragma once
// The document side of a chain dialog in the dialog tests: it records the steps and redraws the dialogs
// ask for instead of carrying them out.
#include <vector>

#include "dialogs/ChainHost.h"

namespace kelmora::testing {

class FakeChainHost : public ChainHost {
public:
    EditTransaction& transaction() override { return tx; }
    void Apply(const ChainStep& step) override { applied.push_back(step); }
    void UpdateViews(int hint) override { hints.push_back(hint); }
    CKelmoraViewData* activeViewData() override { return nullptr; }
    int activeViewId() override { return 0; }
    QWidget* dialogParent() override { return nullptr; }

    EditTransaction tx;
    std::vector<ChainStep> applied;
    std::vector<int> hints;
};

}  // namespace kelmora::testing
