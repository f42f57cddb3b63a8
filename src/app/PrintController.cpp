#include "app/PrintController.h"

#include <QAction>
#include <QDate>
#include <QFileInfo>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <span>

#include "app/CommandActions.h"
#include "app/DocumentManager.h"
#include "app/PlanView.h"
#include "app/UserSettings.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/UserQuestions.h"
#include "model/persistence/ProjectFile.h"
#include "platform/raster/MapPicture.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The project as the title block names it: the document's file name (or its title before it has one).
std::string ProjectName(const KelmoraDocument& document) {
    return QFileInfo(document.title()).fileName().toStdString();
}

}  // namespace

PrintController::PrintController(QMainWindow& window, QMenu& fileMenu, QAction* after,
                                 DocumentManager& documents, UserQuestions& questions)
    : QObject(&window), window_(window), documents_(documents), questions_(questions) {
    print_ = MakeAction(this, kMenuPrint, kPromptPrint);
    print_->setShortcut(QKeySequence::Print);
    pdf_ = MakeAction(this, kMenuExportPdf, kPromptExportPdf);
    // After the save commands, in a group of their own.
    const QList<QAction*> items = fileMenu.actions();
    const qsizetype at = items.indexOf(after);
    QAction* before = at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr;
    separator_ = new QAction(this);
    separator_->setSeparator(true);
    fileMenu.insertActions(before, {separator_, print_, pdf_});

    connect(print_, &QAction::triggered, this, &PrintController::Print);
    connect(pdf_, &QAction::triggered, this, &PrintController::ExportPdf);
    connect(&documents, &DocumentManager::changed, this, &PrintController::Refresh);
    connect(&fileMenu, &QMenu::aboutToShow, this, &PrintController::Refresh);
    Refresh();
}

void PrintController::Refresh() {
    KelmoraDocument* active = documents_.activeDocument();
    for (QAction* item : {separator_, print_, pdf_})
        item->setVisible(active != nullptr);
    const bool enabled = active != nullptr && active->activeView() != nullptr &&
                         active->transaction().editMode() != kCalculationMode;
    print_->setEnabled(enabled);
    pdf_->setEnabled(enabled);
}

void PrintController::Print() {
    Start(Target::Printer);
}

void PrintController::ExportPdf() {
    Start(Target::File);
}

void PrintController::Start(Target target) {
    Refresh();
    if (!print_->isEnabled()) return;
    if (ReadReportAuthor()) {
        AskPage(target);
        return;
    }
    // The company and the author are asked for once; later pages take them from the settings.
    auto* dialog = new ReportAuthorDialog({}, &window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog_ = dialog;
    connect(dialog, &QDialog::accepted, this, [this, dialog, target] {
        StoreReportAuthor(dialog->author());
        AskPage(target);
    });
    dialog->open();
}

PageSetupDialog::Hooks PrintController::Hooks() const {
    PageSetupDialog::Hooks hooks;
    hooks.fits = [this](const PageSetup& setup) {
        KelmoraDocument* document = documents_.activeDocument();
        const std::optional<PageContent> content = document ? ContentOf(*document, setup) : std::nullopt;
        return !content || PlaceMapOnPage(setup, *content, PlanTextWidth()).fits;
    };
    hooks.preview = [this](const PageSetup& setup, QWidget* parent) {
        KelmoraDocument* document = documents_.activeDocument();
        const std::optional<PagePrintout> printout = document ? PrintoutOf(*document, setup) : std::nullopt;
        if (!printout) return;
        QPrinter printer(QPrinter::HighResolution);
        RunOwnedDialog(MakePreview(printer, *printout, parent));
    };
    hooks.changeAuthor = [](QWidget* parent) -> std::optional<ReportAuthor> {
        auto* dialog = new ReportAuthorDialog(ReadReportAuthor().value_or(ReportAuthor{}), parent);
        // The author is read before the dialog goes (RunOwnedDialog deletes it).
        ReportAuthor author;
        QObject::connect(dialog, &QDialog::accepted, dialog,
                         [dialog, &author] { author = dialog->author(); });
        if (RunOwnedDialog(dialog) != QDialog::Accepted) return std::nullopt;
        StoreReportAuthor(author);
        return author;
    };
    return hooks;
}

void PrintController::AskPage(Target target) {
    const QString title = Q(target == Target::Printer ? kPrintPageTitle : kPdfPageTitle);
    const PageSetupDialog::Target kind =
        target == Target::Printer ? PageSetupDialog::Target::Printer : PageSetupDialog::Target::File;
    auto* dialog = new PageSetupDialog(title, kind, setup_, dpi_, ReadReportAuthor().value_or(ReportAuthor{}),
                                       Hooks(), &window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog_ = dialog;
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, target] { Finish(target, dialog->setup(), dialog->dpi()); });
    dialog->open();
}

void PrintController::Finish(Target target, const PageSetup& setup, int dpi) {
    setup_ = setup;
    dpi_ = dpi;
    KelmoraDocument* document = documents_.activeDocument();
    if (document == nullptr) return;
    const std::optional<PagePrintout> printout = PrintoutOf(*document, setup);
    if (!printout) return;
    if (target == Target::Printer)
        PrintPages(*printout);
    else
        WriteFile(*printout, dpi);
}

std::optional<PageContent> PrintController::ContentOf(KelmoraDocument& document,
                                                      const PageSetup& setup) const {
    PlanView* view = document.activeView();
    if (view == nullptr) return std::nullopt;
    PlanMapState& state = document.noiseMap();
    const NoiseMap* map = state.Shown() ? state.Map() : nullptr;
    const ReportAuthor author = ReadReportAuthor().value_or(ReportAuthor{});
    return PageContent{document.transaction().model(),
                       view->viewData(),
                       view->hasPicture(),
                       map,
                       MapLook{state.Menu(kIdleMode).isoLinesChecked, state.Settings().isoLineLabels},
                       state.GridCrossesShown(),
                       std::nullopt,
                       TitleTextsOf(map, ProjectName(document), setup.title,
                                    QDate::currentDate().toString(Qt::ISODate).toStdString(),
                                    author.company.toStdString(), author.author.toStdString())};
}

std::optional<PagePrintout> PrintController::PrintoutOf(KelmoraDocument& document,
                                                        const PageSetup& setup) const {
    const std::optional<PageContent> content = ContentOf(document, setup);
    if (!content) return std::nullopt;
    return MakePrintout(setup, *content, setup.title.empty() ? ProjectName(document) : setup.title,
                        document.activeView()->picture());
}

QPrintPreviewDialog* PrintController::MakePreview(QPrinter& printer, const PagePrintout& printout,
                                                  QWidget* parent) const {
    SetUpPagedDevice(printer, printout.setup);
    printer.setFullPage(true);
    printer.setDocName(QString::fromStdString(printout.title));
    auto* preview = new QPrintPreviewDialog(&printer, parent);
    preview->setWindowTitle(Q(kPreviewTitle));
    connect(preview, &QPrintPreviewDialog::paintRequested, preview,
            [printout](QPrinter* device) { PaintPrintout(*device, printout); });
    return preview;
}

void PrintController::PrintPages(const PagePrintout& printout) {
    QPrinter printer(QPrinter::HighResolution);
    RunOwnedDialog(MakePreview(printer, printout, &window_));
}

void PrintController::WriteFile(const PagePrintout& printout, int dpi) {
    const QString suggested = QFileInfo(QString::fromStdString(printout.title)).completeBaseName() + ".pdf";
    const std::optional<std::string> path =
        questions_.ChooseFileToSave(&window_, Q(kExportPageDialogTitle), QtFileFilter(kExportPageFilter),
                                    QStringLiteral("pdf"), suggested);
    if (!path) return;
    const QString suffix = QFileInfo(QString::fromStdString(*path)).suffix().toLower();
    const QString caption = Q(kExportPageCaption);
    if (suffix != QStringLiteral("pdf") && suffix != QStringLiteral("png")) {
        questions_.Tell(&window_, caption,
                        Q(kExportPageExtensionWrong) + QStringLiteral("\n") + QString::fromStdString(*path),
                        QMessageBox::Warning);
        return;
    }
    QString reason;
    {
        const WaitCursor wait;
        const QByteArray bytes = suffix == QStringLiteral("pdf")
                                     ? RenderPdf(printout)
                                     : EncodePng(RenderPageImage(printout, 0, dpi));
        if (bytes.isEmpty()) {
            reason = QString::fromUtf8("ページを作れません");
        } else {
            try {
                SaveFileBytes(*path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                               static_cast<std::size_t>(bytes.size())));
                return;
            } catch (const ProjectFileError& e) {
                reason = QString::fromStdString(e.reason());
            }
        }
    }
    questions_.Tell(&window_, caption,
                    Q(kExportPageNotSaved) + QStringLiteral("\n") + QString::fromStdString(*path) +
                        QStringLiteral("\n") + reason,
                    QMessageBox::Warning);
}

}  // namespace kelmora
