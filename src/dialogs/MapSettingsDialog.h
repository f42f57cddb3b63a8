#pragma once
// "騒音マップ設定": how the document draws its noise map — the colour scheme (a named scheme with the
// lowest class and the class width, or the user's own limits and colours), iso-lines and their labels,
// the grid's crosses, the masking of buildings, smooth drawing, and the classes of difference maps.
// The dialog only binds its controls to a MapSettings; the checks are MapSettingsProblem's.
#include <QDialog>

#include "model/MapSettings.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kelmora {

class UserQuestions;

inline constexpr const char* kMapSettingsTitle = "騒音マップ設定";

class MapSettingsDialog : public QDialog {
    Q_OBJECT

public:
    MapSettingsDialog(const MapSettings& settings, UserQuestions& questions, QWidget* parent = nullptr);

    // The settings as the controls hold them.
    MapSettings settings() const;
    // Puts the settings into the controls.
    void Show(const MapSettings& settings);

    // OK: taken when the settings make a map, otherwise the problem is told and the dialog stays.
    void accept() override;

    QComboBox* schemeField() const { return scheme_; }
    QDoubleSpinBox* lowestField() const { return lowest_; }
    QDoubleSpinBox* widthField() const { return width_; }
    QTableWidget* userClassesTable() const { return userClasses_; }
    QCheckBox* isoLinesBox() const { return isoLines_; }
    QCheckBox* labelsBox() const { return labels_; }
    QCheckBox* crossesBox() const { return crosses_; }
    QCheckBox* maskBox() const { return mask_; }
    QCheckBox* smoothBox() const { return smooth_; }
    QDoubleSpinBox* differenceWidthField() const { return differenceWidth_; }
    QSpinBox* differenceClassesField() const { return differenceClasses_; }

private:
    void SchemeChanged();
    void AddUserClass();
    void RemoveUserClass();
    void ChooseColour();
    void SetUserRow(int row, double lowerDb, std::uint32_t rgb);

    UserQuestions& questions_;
    QComboBox* scheme_;
    QDoubleSpinBox* lowest_;
    QDoubleSpinBox* width_;
    QTableWidget* userClasses_;
    QPushButton* addClass_;
    QPushButton* removeClass_;
    QPushButton* colour_;
    QCheckBox* isoLines_;
    QCheckBox* labels_;
    QCheckBox* crosses_;
    QCheckBox* mask_;
    QCheckBox* smooth_;
    QDoubleSpinBox* differenceWidth_;
    QSpinBox* differenceClasses_;
    MapSettings shown_;  // what the controls started from, for what they do not show
};

}  // namespace kelmora
