#pragma once
// "インポート..." of the file menu and the toolbar: a drawing or GIS layers chosen in the open dialog are
// listed, the import dialog maps their layers while the plan shows the preview, and OK adds everything to
// the active document in one committed step named "インポート" (undone as one). Without a document — or
// with one whose contents would not be a place to add to — a new document takes the import; it opens
// with its window fitted to what was imported. Cancel leaves the document as it was (a document made
// for the import goes again).
#include <QObject>
#include <functional>

class QMainWindow;

namespace kelmora {

class DocumentManager;
class KelmoraDocument;
class ImportDialog;
class UserQuestions;
struct PlanExtent;

class ImportController : public QObject {
    Q_OBJECT

public:
    ImportController(QMainWindow& window, DocumentManager& documents, UserQuestions& questions);

    // "インポート...": the whole import, from the choice of the file to the commit.
    void Run();

    // Tests: called with the import dialog once it is set up, before it runs.
    void SetDialogHook(std::function<void(ImportDialog&)> hook) { hook_ = std::move(hook); }

private:
    // The document's first window fitted to the extent [m].
    void FitWindow(KelmoraDocument& document, const PlanExtent& extent);
    void Tell(const QString& text);

    QMainWindow& window_;
    DocumentManager& documents_;
    UserQuestions& questions_;
    std::function<void(ImportDialog&)> hook_;
};

}  // namespace kelmora
