#pragma once
// Printed pages of the noise map in the desktop program: "印刷(&P)..." and "PDF出力(&D)..." in the file
// menu. Both take the active plan window's site with the document's shown map, ask once for the company
// and the author of the title block, then for the page (paper, scale, title, results table); printing
// shows the pages in a print preview whose print button goes to a printer, the PDF output writes the
// pages as a vector PDF (or the map page as a PNG picture at the chosen resolution). The pages are
// PageDrawing's, painted by PagePicture — the same as `kelmora-calc map --layout`.
#include <QObject>
#include <QPointer>
#include <optional>

#include "dialogs/PageSetupDialog.h"
#include "platform/raster/PagePicture.h"

class QAction;
class QMainWindow;
class QMenu;
class QPrinter;
class QPrintPreviewDialog;

namespace kelmora {

class DocumentManager;
class KelmoraDocument;
class UserQuestions;

class PrintController : public QObject {
    Q_OBJECT

public:
    // Adds the two items after `after` in `fileMenu`.
    PrintController(QMainWindow& window, QMenu& fileMenu, QAction* after, DocumentManager& documents,
                    UserQuestions& questions);

    QAction* printAction() const { return print_; }
    QAction* pdfAction() const { return pdf_; }
    // Shown with a document; enabled unless a calculation runs on it or it has no plan window.
    void Refresh();

    void Print();
    void ExportPdf();

    // The pages of the active document's active plan window with its shown map; none without one.
    std::optional<PagePrintout> PrintoutOf(KelmoraDocument& document, const PageSetup& setup) const;
    // A print preview of the pages on `printer`: the printer is set up for the page and every paint the
    // preview asks for paints the pages onto it (so does its print button).
    QPrintPreviewDialog* MakePreview(QPrinter& printer, const PagePrintout& printout, QWidget* parent) const;
    // The dialog the last command opened (the author's, then the page's), for tests; null when closed.
    QDialog* openDialog() const { return dialog_.data(); }

private:
    enum class Target { Printer, File };
    void Start(Target target);
    void AskPage(Target target);
    void Finish(Target target, const PageSetup& setup, int dpi);
    void PrintPages(const PagePrintout& printout);
    void WriteFile(const PagePrintout& printout, int dpi);
    PageSetupDialog::Hooks Hooks() const;
    // What the active plan window puts on a page; none without a plan window.
    std::optional<PageContent> ContentOf(KelmoraDocument& document, const PageSetup& setup) const;

    QMainWindow& window_;
    DocumentManager& documents_;
    UserQuestions& questions_;
    QAction* separator_;
    QAction* print_;
    QAction* pdf_;
    PageSetup setup_;  // the last page chosen, offered again
    int dpi_ = 300;
    QPointer<QDialog> dialog_;
};

}  // namespace kelmora
