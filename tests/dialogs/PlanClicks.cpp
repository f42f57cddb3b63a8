#include "dialogs/PlanClicks.h"

#include "view/ClickActions.h"
#include "view/PlanTestModel.h"

namespace kelmora::testing {

PlanClicks::PlanClicks() : view(plantest::BlankWindow()) {}

void PlanClicks::Click(const CNoise& model, const EditState& edit, EditorPort& editor, int dragMode,
                       ClientPoint at) {
    const PlanEditContext ctx{model, edit, view, editor, *this, {}};
    ActOnGestureEnd({dragMode, at, at, true}, ctx);
}

}  // namespace kelmora::testing
