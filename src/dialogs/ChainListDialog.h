#pragma once
// ChainListDialog: the one window of all nine lists of the editing chains — a multi-column list with
// full-row selection and grid lines, "追加...", "変更...", "削除", "↑", "↓", the list's extra button,
// "OK" and "キャンセル", captioned with the list's caption. Everything the list does is ChainList's
// (editing/ChainList.h); the window shows its rows, binds its buttons and carries out its updates.
#include <map>
#include <memory>

#include "dialogs/ChainDialog.h"
#include "editing/ListTable.h"

class QPushButton;
class QTableWidget;

namespace kelmora {

class ChainList;
struct ListUpdate;

class ChainListDialog : public ChainDialog {
    Q_OBJECT

public:
    ChainListDialog(ChainHost& host, const DialogRequest& request, QWidget* parent = nullptr);
    ~ChainListDialog() override;

    // The registry's factory for every list mode.
    static ChainDialog* Make(ChainHost& host, const DialogRequest& request, QWidget* parent);

    QTableWidget* table() const { return table_; }
    QPushButton* button(int buttonId) const;

private:
    QPushButton* AddButton(int buttonId, const char* text);
    // Sends the update's redraws, refills or reselects the rows, then shows its message.
    void Carry(const ListUpdate& update);
    void FillRows();
    void ShowSelection();
    void EnableButtons();
    void RowSelectedByUser();
    void HandOver(const ChainStep& step);
    void AddShiftedCopy();

    std::unique_ptr<ChainList> list_;
    QTableWidget* table_ = nullptr;
    std::map<int, QPushButton*> buttons_;
    bool filling_ = false;
};

}  // namespace kelmora
