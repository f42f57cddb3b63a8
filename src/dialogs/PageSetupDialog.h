#pragma once
// The page of a printout or a PDF: paper and orientation, scale, the title, the further page of the
// points' results, and the company and author the title block shows (from the user's settings;
// "変更(&H)..." asks for them again). A note says when the map does not fit its frame at the chosen
// scale. For a file, also the resolution of a page saved as a picture and "プレビュー(&V)...", which shows
// the pages as they will print.
#include <QDialog>
#include <QString>
#include <functional>

#include "view/noisemap/PageLayout.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kelmora {

struct ReportAuthor {
    QString company;
    QString author;
};

class PageSetupDialog : public QDialog {
    Q_OBJECT

public:
    // `fits` answers whether the map fits its frame with a setup; `preview` shows the pages of one;
    // `changeAuthor` asks for the company and the author again (none when cancelled). The two open
    // their dialogs over the page's (the parent given) through RunOwnedDialog.
    struct Hooks {
        std::function<bool(const PageSetup&)> fits;
        std::function<void(const PageSetup&, QWidget* parent)> preview;
        std::function<std::optional<ReportAuthor>(QWidget* parent)> changeAuthor;
    };

    enum class Target { Printer, File };
    PageSetupDialog(const QString& title, Target target, const PageSetup& setup, int dpi,
                    const ReportAuthor& author, Hooks hooks, QWidget* parent = nullptr);

    PageSetup setup() const;
    int dpi() const;
    const ReportAuthor& author() const { return author_; }

    QComboBox* paperField() const { return paper_; }
    QComboBox* scaleField() const { return scale_; }
    QLineEdit* titleField() const { return title_; }
    QCheckBox* tableBox() const { return table_; }
    QSpinBox* dpiField() const { return dpi_; }
    QLabel* fitNote() const { return fitNote_; }
    QPushButton* previewButton() const { return preview_; }

    // Ignored while the preview or the author question opened from the page is open.
    void done(int result) override;

private:
    void Recheck();
    void ShowAuthor();

    Hooks hooks_;
    ReportAuthor author_;
    QComboBox* paper_;
    QComboBox* scale_;
    QLineEdit* title_;
    QCheckBox* table_;
    QSpinBox* dpi_;
    QLabel* company_;
    QLabel* authorName_;
    QLabel* fitNote_;
    QPushButton* preview_;
};

// The dialog that asks once for the company and the author shown in title blocks.
class ReportAuthorDialog : public QDialog {
    Q_OBJECT

public:
    explicit ReportAuthorDialog(const ReportAuthor& author, QWidget* parent = nullptr);
    ReportAuthor author() const;
    QLineEdit* companyField() const { return company_; }
    QLineEdit* authorField() const { return author_; }

private:
    QLineEdit* company_;
    QLineEdit* author_;
};

inline constexpr const char* kReportAuthorTitle = "図面の作成者";

}  // namespace kelmora
