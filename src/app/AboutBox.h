#pragma once
// The about box ("Kelmora について"): the program's icon, name and version, what it does, and
// "マニュアルPDF..." which opens the manual Kelmora.pdf — beside the program, or in the installed
// documentation folder — with the desktop's PDF viewer. The button works once per opening.
#include <QDialog>
#include <QStringList>

class QPushButton;

namespace kelmora {

inline constexpr const char* kProgramVersion = "1.1.0.1";
inline constexpr const char* kManualFileName = "Kelmora.pdf";

// Where the manual is looked for, in order.
QStringList ManualCandidates(const QString& programFolder);

class AboutBox : public QDialog {
    Q_OBJECT

public:
    AboutBox(const QString& programFolder, QWidget* parent = nullptr);

private:
    void OpenManual();

    QString programFolder_;
    QPushButton* manual_;
};

}  // namespace kelmora
