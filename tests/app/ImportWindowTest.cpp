// "インポート..." in the desktop program, without a display: a drawing imported into a new document with
// a saved mapping, the preview drawn over the plan before OK, and everything added in one committed
// step; Cancel leaving an open document as it was; the command in the file menu and on the toolbar.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>

#include "QtTestApplication.h"
#include "app/ImportController.h"
#include "app/MainWindowTest.h"
#include "app/MapController.h"
#include "app/MapPictureFile.h"
#include "app/PlanView.h"
#include "dialogs/ImportDialog.h"
#include "importing/ImportDialogState.h"
#include "importing/ImportFixtures.h"
#include "view/ImportPreview.h"
#include "view/ViewTransform.h"
#include "view/noisemap/MapTexts.h"

namespace kelmora {
namespace {

QPushButton* Button(QWidget& dialog, const char* text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == QString::fromUtf8(text)) return button;
    return nullptr;
}

// Primitives drawn with the preview's colour.
int PreviewPrimitives(const DisplayLayer& layer) {
    int n = 0;
    for (const Primitive& p : layer) {
        if (const auto* line = std::get_if<PolylinePrimitive>(&p))
            n += line->pen.color == kImportPreviewColour;
        if (const auto* polygon = std::get_if<PolygonPrimitive>(&p))
            n += polygon->pen.color == kImportPreviewColour;
    }
    return n;
}

int Polygons(const DisplayLayer& layer) {
    int n = 0;
    for (const Primitive& p : layer)
        n += std::holds_alternative<PolygonPrimitive>(p);
    return n;
}

class ImportWindow : public testing::MainWindowTest {
protected:
    void SetUp() override {
        testing::TestApplication();
        MakeWorkFolder("import");
        // A hall and a tank in millimetres, a barrier, two pumps.
        testing::DxfDrawing dxf(4);
        dxf.Polyline("BLDG", {{1240000, 7650000}, {1260000, 7650000}, {1260000, 7660000}, {1240000, 7660000}},
                     true, 8000.0)
            .Polyline("BLDG", {{1270000, 7650000}, {1280000, 7650000}, {1275000, 7660000}}, true, 6000.0)
            .Line("WALL", {1235000, 7645000, 0}, {1265000, 7645000, 0}, 3000.0)
            .Insert("SRC", {1250000, 7640000, 0})
            .Point("SRC", {1255000, 7640000, 0});
        dxf.Save(work / "plant.dxf");
        testing::WriteText(work / "map.json", R"({"format": "kelmora-import-mapping", "version": 1,
  "crs": "EPSG:6677",
  "layers": [{"layer": "BLDG", "kind": "building", "height": {"from": "thickness"}},
             {"layer": "WALL", "kind": "barrier", "height": {"from": "thickness"}},
             {"layer": "SRC", "kind": "source", "height": 1.5}]})");
        questions.files[QString::fromUtf8(kChooseImportFileTitle)] = (work / "plant.dxf").string();
        questions.files[QString::fromUtf8(kLoadMappingTitle)] = (work / "map.json").string();
        OpenWindow();
    }

    // Runs "インポート..." with `during` acting on the dialog once it is shown.
    void Import(const std::function<void(ImportDialog&)>& during) {
        window->imports().SetDialogHook([during](ImportDialog& dialog) {
            QTimer::singleShot(0, &dialog, [&dialog, during] { during(dialog); });
        });
        window->actions().importSite->trigger();
    }
};

TEST_F(ImportWindow, NewDocumentFromADrawingWithASavedMappingInOneCommit) {
    KelmoraDocument* made = nullptr;
    int previewShown = 0;
    std::unique_ptr<QSignalSpy> commits;
    Import([&](ImportDialog& dialog) {
        made = window->documents().activeDocument();
        ASSERT_NE(made, nullptr);
        Button(dialog, "マッピングを読込...")->click();
        dialog.RefreshNow();
        // The preview over the plan; the document has nothing yet.
        PlanView* view = made->views().front();
        previewShown = PreviewPrimitives(view->displayList().overlay);
        EXPECT_TRUE(made->transaction().model().buildings.empty());
        commits = std::make_unique<QSignalSpy>(made, &KelmoraDocument::stateChanged);
        dialog.accept();
    });
    ASSERT_NE(made, nullptr);
    EXPECT_GT(previewShown, 0);
    ASSERT_EQ(window->documents().documents().size(), 1u);
    const CNoise& model = made->transaction().model();
    EXPECT_EQ(model.buildings.size(), 2u);
    EXPECT_EQ(model.groundLines.size(), 1u);
    EXPECT_EQ(model.outdoorSources.size(), 2u);
    ASSERT_TRUE(made->extras().coordinates);
    EXPECT_EQ(made->extras().coordinates->epsg, 6677);
    EXPECT_TRUE(made->transaction().modified());
    // One committed step, undone as one, and the preview gone with the dialog.
    EXPECT_EQ(commits->count(), 1);
    EXPECT_EQ(made->transaction().history().steps(), 1u);
    EXPECT_EQ(made->transaction().UndoName(), "インポート");
    EXPECT_EQ(made->importPreview(), nullptr);
    // The plan shows the buildings, fitted into the window: every roof corner within the client area.
    PlanView* view = made->views().front();
    EXPECT_GE(Polygons(view->displayList().base), 3);
    EXPECT_EQ(PreviewPrimitives(view->displayList().overlay), 0);
    for (const CBuilding& building : model.buildings) {
        for (const CRoof& roof : building.roofs) {
            const ClientPoint p = ModelToPixel(view->viewData(), roof.face.rect.p2);
            EXPECT_GE(p.x, 0);
            EXPECT_LT(p.x, view->width());
            EXPECT_GE(p.y, 0);
            EXPECT_LT(p.y, view->height());
        }
    }
    made->Apply(made->transaction().Undo());
    EXPECT_TRUE(made->transaction().model().buildings.empty());
    EXPECT_FALSE(made->extras().coordinates);
}

TEST_F(ImportWindow, CancelLeavesTheDocumentAsItWas) {
    OpenExample();
    const CNoise before = doc->transaction().model();
    const bool modified = doc->transaction().modified();
    bool previewed = false;
    Import([&](ImportDialog& dialog) {
        // A kind chosen through the layer table and the kind box.
        auto* layers = dialog.findChild<QTableWidget*>();
        layers->setCurrentCell(0, 0);
        const QString first = layers->item(0, 0)->text();
        auto* kind = dialog.findChildren<QComboBox*>().front();
        kind->setCurrentIndex(static_cast<int>(ImportKind::Point));
        emit kind->activated(static_cast<int>(ImportKind::Point));
        EXPECT_EQ(layers->item(0, 3)->text(), QString::fromUtf8("予測点"));
        dialog.RefreshNow();
        previewed = doc->importPreview() != nullptr;
        dialog.reject();
    });
    EXPECT_TRUE(previewed);
    EXPECT_EQ(window->documents().documents().size(), 1u);
    EXPECT_EQ(doc->transaction().model(), before);
    EXPECT_EQ(doc->transaction().modified(), modified);
    EXPECT_EQ(doc->importPreview(), nullptr);
    EXPECT_FALSE(doc->extras().coordinates);
}

TEST_F(ImportWindow, OkIsRefusedWhileNothingWouldBeImported) {
    bool stillOpen = false;
    Import([&](ImportDialog& dialog) {
        dialog.accept();  // no layer has a kind yet
        stillOpen = dialog.isVisible();
        dialog.reject();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(questions.told.last().contains(QString::fromUtf8("取り込むものがありません")));
    // The document made for the import went with the cancel.
    EXPECT_TRUE(window->documents().documents().empty());
}

TEST_F(ImportWindow, CommandInTheFileMenuAndOnTheToolbar) {
    const CommandActions& a = window->actions();
    EXPECT_TRUE(a.fileMenu->actions().contains(a.importSite));
    EXPECT_TRUE(a.toolBarWidget->actions().contains(a.importSite));
    EXPECT_EQ(a.importSite->text(), QString::fromUtf8("インポート..."));
    EXPECT_TRUE(a.importSite->isEnabled());  // without a document
    OpenExample();
    EXPECT_TRUE(a.importSite->isVisible());
    EXPECT_TRUE(a.importSite->isEnabled());
    // While a list of the document is open it takes no import.
    doc->transaction().StartChain(EditCommand::Buildings, {});
    a.Refresh(doc, true);
    EXPECT_FALSE(a.importSite->isEnabled());
    doc->transaction().ListClosed(ListExit::Cancel);
    a.Refresh(doc, true);
    EXPECT_TRUE(a.importSite->isEnabled());
}

// The map of a project with coordinates saved from the view menu lands at the site's place in its system.
TEST_F(ImportWindow, MapSavedAsGisFileAtTheSitesPlace) {
    OpenExample();
    questions.files[QString::fromUtf8(std::string(kResultFileDialogTitle).c_str())] =
        KELMORA_EXAMPLE_GRID_RESULTS;
    window->maps().actions().openResultFile->trigger();
    QAction* item = window->maps().actions().savePicture;
    ASSERT_TRUE(item->isVisible());
    ASSERT_TRUE(item->isEnabled());
    const ChainStep step =
        doc->transaction().CommitChange("インポート", doc->transaction().model(),
                                        WithCoordinates(doc->extras(), {6677, "", -12000.0, 35000.0}));
    doc->Apply(step);

    questions.files[QString::fromUtf8(kSaveMapPictureTitle)] = (work / "map.gpkg").string();
    item->trigger();
    GDALAllRegister();
    GDALDataset* gpkg = GDALDataset::Open((work / "map.gpkg").c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY);
    ASSERT_NE(gpkg, nullptr) << questions.told.join(QStringLiteral("\n")).toStdString();
    OGRLayer* points = gpkg->GetLayerByName("points");
    ASSERT_NE(points, nullptr);
    OGREnvelope extent;
    ASSERT_EQ(points->GetExtent(&extent), OGRERR_NONE);
    // The example's grid lies within its first 200 m.
    EXPECT_GE(extent.MinX, -12000.0);
    EXPECT_LE(extent.MaxX, -11800.0);
    EXPECT_GE(extent.MinY, 35000.0);
    EXPECT_STREQ(points->GetSpatialRef()->GetAuthorityCode(nullptr), "6677");
    GDALClose(GDALDataset::ToHandle(gpkg));
}

}  // namespace
}  // namespace kelmora
