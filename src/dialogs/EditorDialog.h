#pragma once
// EditorDialog: the one window of every editor of the editing chains. It builds its controls from the
// editor's field table (labels as buddies, titled boxes, the point list and its buttons, the common
// buttons), copies them into the editor's form before a button acts and back afterwards, and carries
// out what the editor replies: a message box with the focus on the field concerned, redraws of the
// plan, the end of the dialog with the next step of the chain.
//
// Clicks on the plan reach it as an EditorPort (ChainDialog): they write the bound number fields and
// press the bound buttons exactly as the user would.
#include <QDialog>
#include <QPointer>
#include <map>
#include <memory>

#include "dialogs/ChainDialog.h"
#include "editing/ChainEditor.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QTreeWidget;
class QWidget;

namespace kelmora {

// The least width of a memo field [px]: room for a sentence whatever the editor's layout.
inline constexpr int kMemoFieldMinimumWidth = 260;

class EditorDialog : public ChainDialog {
    Q_OBJECT

public:
    EditorDialog(ChainHost& host, const DialogRequest& request, std::unique_ptr<ChainEditor> editor,
                 QWidget* parent = nullptr);
    ~EditorDialog() override;

    ChainEditor& editor() { return *editor_; }

    // The factory of the chain dialog registry for every editor mode.
    static ChainDialog* Make(ChainHost& host, const DialogRequest& request, QWidget* parent);

private:
    void Build();
    // The row's controls, added to `form` (or only made, for a row of buttons when form is null);
    // returns what was added.
    QWidget* BuildRow(const EditorField& field, QFormLayout* form);
    QWidget* BuildVertexList();
    QWidget* BuildButtons();

    // The controls into the form, and the form into the controls.
    void FromControls();
    void ToControls();
    void RefreshEnabling();
    void RefreshVertexList();

    void Carry(const EditorReply& reply);
    void OnSpectrum(int controlId);

    std::unique_ptr<ChainEditor> editor_;
    bool showingForm_ = false;  // the form is being shown: text changes are not the user's
    std::map<int, QLineEdit*> lineEdits_;
    std::map<int, QComboBox*> combos_;
    std::map<int, QButtonGroup*> radios_;
    std::map<int, QCheckBox*> flags_;
    std::map<int, QAbstractButton*> buttons_;
    // Every widget of a row (its label too), enabled and disabled together.
    std::map<int, std::vector<QWidget*>> rowWidgets_;
    QTreeWidget* vertexList_ = nullptr;
    QPointer<QDialog> bandEditor_;  // the band editor this editor opened, while it is open
};

}  // namespace kelmora
