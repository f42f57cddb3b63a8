#pragma once
// The import dialog ("インポート"): the source's layers with the kind each becomes, the selected layer's
// heights, label and spectrum, the unit, origin and coordinate system, the mapping saved and read, and
// the report of the preview. Every change runs the preview again a moment later; previewChanged()
// tells the plan to draw its objects. OK is refused while the preview fails or makes nothing. The
// state lives in ImportDialogState; this class only binds the controls to it.
#include <QDialog>

#include "importing/ImportDialogState.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace kelmora {

class UserQuestions;

class ImportDialog : public QDialog {
    Q_OBJECT

public:
    ImportDialog(ImportDialogState& state, UserQuestions& questions, QWidget* parent = nullptr);

    // Runs the preview now if a change is waiting (tests, and OK).
    void RefreshNow();

    void accept() override;

signals:
    // The preview's objects changed: the plan draws them again.
    void previewChanged();

private:
    void BuildLayout();
    void ShowLayers();
    void ShowSelected();
    void ShowCoordinates();
    void ShowReport();
    // A control changed the settings: the layer row, then the preview a moment later.
    void Changed();
    void Tell(const std::string& text);

    void KindChosen(int index);
    void HeightChosen(int index);
    void GroundChosen(int index);
    void HeightTyped();
    void GroundTyped();
    void LabelChosen(int index);
    void ChooseLibrary();
    void SpectrumChosen(int index);
    void UnitChosen(int index);
    void CrsTyped();
    void OriginModeChanged(bool useDefault);
    void OriginTyped();
    void SaveMapping();
    void LoadMapping();

    ImportDialogState& state_;
    UserQuestions& questions_;
    QTimer* refresh_ = nullptr;
    QTableWidget* layers_ = nullptr;
    QGroupBox* layerBox_ = nullptr;
    QComboBox* kind_ = nullptr;
    QComboBox* height_ = nullptr;
    QLineEdit* heightValue_ = nullptr;
    QComboBox* ground_ = nullptr;
    QLineEdit* groundValue_ = nullptr;
    QComboBox* label_ = nullptr;
    QLineEdit* library_ = nullptr;
    QPushButton* chooseLibrary_ = nullptr;
    QComboBox* spectrum_ = nullptr;
    QComboBox* unit_ = nullptr;
    QLineEdit* crs_ = nullptr;
    QCheckBox* defaultOrigin_ = nullptr;
    QLineEdit* originX_ = nullptr;
    QLineEdit* originY_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    std::vector<ValueSource> heightChoices_;
    std::vector<ValueSource> groundChoices_;
    // The spectrum list: "", "field:NAME" or "title:NAME" per item.
    std::vector<std::string> spectrumChoices_;
};

}  // namespace kelmora
