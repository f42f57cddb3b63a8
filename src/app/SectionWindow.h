#pragma once
// The window of a vertical section: the document's map of a vertical grid drawn as distance along the
// grid's line × height, with its legend (and the out-of-date mark after a model edit), the level shown
// (LAeqT or LAmax) to choose, and the section saved as a picture. The picture follows the window's
// size. It shows what the document's map holds; when that is no longer a section, it closes. A
// modeless dialog: screen readers announce it as a window of its own, and Esc closes it.
#include <QDialog>
#include <QImage>
#include <QPointer>

class QComboBox;
class QPushButton;

namespace kelmora {

class KelmoraDocument;
class UserQuestions;

class SectionWindow : public QDialog {
    Q_OBJECT

public:
    SectionWindow(KelmoraDocument& document, UserQuestions& questions, QWidget* parent);

    KelmoraDocument* document() const { return document_.data(); }
    // Draws the section again from the document's map (a new run, another level, a model edit).
    void Reload();
    // The section as shown, for tests.
    const QImage& shownImage() const { return image_; }
    QComboBox* levelChoice() const { return level_; }
    QPushButton* saveButton() const { return save_; }
    // "画像として保存(&S)...": the section at the window's size as a PNG or SVG file.
    void SavePicture();

signals:
    // The level shown was chosen here: the menus follow.
    void levelChosen();

private:
    void Render();

    QPointer<KelmoraDocument> document_;
    UserQuestions& questions_;
    QWidget* canvas_;
    QComboBox* level_;
    QPushButton* save_;
    QImage image_;
};

}  // namespace kelmora
