#pragma once
// The plan of a document as its clicks reach the open editor: the small site without a picture, model
// (x, y) at client (5x, 300 − 5y), and the window's answers to a snapped click.
#include <optional>
#include <string>
#include <vector>

#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "view/ClientPoint.h"
#include "view/EditState.h"
#include "view/EditorPort.h"
#include "view/PickingHost.h"

namespace kelmora::testing {

class PlanClicks : public PlanPickingHost {
public:
    PlanClicks();

    // A click of the gesture `dragMode` (1 left, 3 Ctrl+left, 4 Alt+left, 9 right, ...) at a client
    // point, acted on for the model under edit and the open editor.
    void Click(const CNoise& model, const EditState& edit, EditorPort& editor, int dragMode, ClientPoint at);

    void DrawOnScreen(const DisplayLayer&) override {}
    void RepaintNow() override {}
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<double> AskOffsetLength() override { return std::nullopt; }
    std::optional<CVertex2D> AskOffsetXY() override { return offset; }

    CKelmoraViewData view;
    std::optional<CVertex2D> offset;  // the answer of the "オフセット" dialog (none: cancelled)
    std::vector<std::string> messages;
};

}  // namespace kelmora::testing
