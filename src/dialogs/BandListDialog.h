#pragma once
// The choice among the spectra of a band library: one row per spectrum with its title and its 21
// values, the first row selected; OK takes the selected row.
#include <QDialog>
#include <span>

#include "model/Band.h"

class QTableWidget;

namespace kelmora {

class BandListDialog : public QDialog {
public:
    BandListDialog(std::span<const CBand> spectra, QWidget* parent = nullptr);

    // The row chosen with OK (or a double click), −1 before.
    int chosenRow() const { return chosen_; }

    // Shows the list modally over `parent` (RunOwnedDialog); the index of the chosen spectrum, or −1 when
    // the user cancels or `parent` went meanwhile.
    static int Choose(std::span<const CBand> spectra, QWidget* parent);

private:
    QTableWidget* table_;
    int chosen_ = -1;
};

}  // namespace kelmora
