// The band editor and the band library's choice list driven through their widgets, headless: fields
// found by their labels, buttons by their texts, message boxes and file dialogs answered as a user
// would.
#include <gtest/gtest.h>
#include <QPointer>
#include <vector>

#include <QHeaderView>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "DialogTestSupport.h"
#include "dialogs/BandEditorDialog.h"
#include "model/persistence/BandLibrary.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using testing::ButtonNamed;
using testing::FieldLabelled;
using testing::ModalAnswers;
using testing::SeenMessage;

constexpr const char* kOpenTitle = "バンド情報一覧を読み込むcsvファイルを指定してください";
constexpr const char* kSaveTitle = "バンド情報を追加出力するCSVファイル名を指定してください";

class BandEditorDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::TestApplication(); }

    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / (std::string("kelmora-band-dialog-") +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    QString PathOf(const char* name) const { return QString::fromStdString((folder_ / name).string()); }
    static void WriteFile(const QString& path, const std::string& bytes) {
        std::ofstream(path.toStdString(), std::ios::binary) << bytes;
    }
    static std::string ReadFile(const QString& path) {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // A library line: the title, then the value in every band.
    static std::string Line(const std::string& title, double value) {
        std::string line = title;
        for (int i = 0; i < kThirdOctaveBands; ++i)
            line += "," + std::to_string(value);
        return line + "\r\n";
    }

    fs::path folder_;
};

// Opens a band editor as a caller does and shows it, without waiting for it to close.
struct OpenEditor {
    OpenEditor(const CBand& band, BandSpectrum which) : dialog(band, BandEditorCallerFor(which)) {
        dialog.show();
        dialog.activateWindow();
    }
    QLineEdit* Field(const char* label) { return FieldLabelled(&dialog, label); }
    void Click(const char* button) {
        QPushButton* b = ButtonNamed(&dialog, button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    BandEditorDialog dialog;
};

TEST_F(BandEditorDialogTest, ShowsTheSpectrumInLabelledFieldsWithTheCallersToolsOnly) {
    CBand power = CBand::Filled(30.0);
    power.third[20] = 45.5;
    power.title = "送風機";
    OpenEditor editor(power, BandSpectrum::kSourceAveragePower);
    EXPECT_EQ(editor.dialog.windowTitle().toStdString(),
              "A特性音響パワーレベル[dB]…定常騒音または変動騒音の時LAeq, 衝撃騒音の時LAE");
    for (const char* label : BandFieldLabels()) {
        ASSERT_NE(editor.Field(label), nullptr) << label;
    }
    EXPECT_EQ(editor.Field("50")->text(), "30");
    EXPECT_EQ(editor.Field("5k")->text(), "45.5");
    EXPECT_EQ(editor.Field("タイトル :")->text(), QString::fromUtf8("送風機"));
    EXPECT_EQ(editor.Field("距離[m]")->text(), "3");
    EXPECT_EQ(editor.Field("Q値")->text(), "2");
    for (const char* tool : {"A特性補正", "OA値表示...", "音響パワーレベル変換"})
        EXPECT_TRUE(ButtonNamed(&editor.dialog, tool)->isVisible()) << tool;

    OpenEditor absorption(CBand::Filled(0.1), BandSpectrum::kRightGroundAbsorption);
    EXPECT_EQ(absorption.dialog.windowTitle().toStdString(), "右側地表面の吸音率");
    for (const char* tool : {"A特性補正", "OA値表示...", "音響パワーレベル変換"})
        EXPECT_FALSE(ButtonNamed(&absorption.dialog, tool)->isVisible()) << tool;
    EXPECT_FALSE(absorption.Field("距離[m]")->isVisible());
    EXPECT_TRUE(ButtonNamed(&absorption.dialog, "ファイル情報から選択する...")->isVisible());
}

TEST_F(BandEditorDialogTest, OkRefusesABandOutsideTheRangeAndFocusesIt) {
    OpenEditor editor(CBand::Filled(0.5), BandSpectrum::kAbsorption);
    editor.Field("160")->setText("1.5");
    editor.Field("2k")->setText("-1");
    std::vector<SeenMessage> seen;
    {
        ModalAnswers answers({ModalAnswers::Message(seen)});
        editor.Click("OK");
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.unused() == 0; }, 5000));
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "入力チェック");
    EXPECT_EQ(seen[0].text, "0.000000以上 1.000000以下の数値を入力してください");
    EXPECT_EQ(seen[0].icon, QMessageBox::Information);
    EXPECT_TRUE(editor.dialog.isVisible());
    EXPECT_EQ(editor.dialog.focusWidget(), editor.Field("160"));
    EXPECT_EQ(editor.dialog.spectrum(), CBand::Filled(0.5));

    editor.Field("160")->setText("1");
    editor.Field("2k")->setText("０．２５");
    editor.Field("タイトル :")->setText("ロックウール");
    editor.Click("OK");
    EXPECT_EQ(editor.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(editor.dialog.spectrum().third[5], 1.0);
    EXPECT_EQ(editor.dialog.spectrum().third[16], 0.25);
    EXPECT_EQ(editor.dialog.spectrum().third[0], 0.5);
    EXPECT_EQ(editor.dialog.spectrum().title, "ロックウール");
}

TEST_F(BandEditorDialogTest, ToolsChangeTheFieldsOrSayWhatIsWrong) {
    OpenEditor editor(CBand::Filled(0.0), BandSpectrum::kSourceMaximumPower);
    editor.Click("A特性補正");
    EXPECT_EQ(editor.Field("50")->text(), "-30.2");
    EXPECT_EQ(editor.Field("1.25k")->text(), "0.6");

    std::vector<SeenMessage> seen;
    {
        ModalAnswers answers({ModalAnswers::Message(seen), ModalAnswers::Message(seen)});
        editor.Click("OA値表示...");
        editor.Field("距離[m]")->setText("0");
        editor.Click("音響パワーレベル変換");
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.unused() == 0; }, 5000));
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, "オーバーオール値");
    EXPECT_EQ(seen[0].text, "11.0[dB]");  // the energy sum of the A-weighting table
    EXPECT_EQ(seen[1].caption, "Kelmora");
    EXPECT_EQ(seen[1].text, "0.001 以上の数字を入力してください。");
    EXPECT_EQ(seen[1].icon, QMessageBox::Warning);
    EXPECT_EQ(editor.dialog.focusWidget(), editor.Field("距離[m]"));
    EXPECT_EQ(editor.Field("50")->text(), "-30.2");  // the refused conversion changed nothing

    editor.Field("距離[m]")->setText("10");
    editor.Field("Q値")->setText("1");
    editor.Click("音響パワーレベル変換");
    EXPECT_EQ(editor.Field("1k")->text(), "31.0");  // 0 + 20 + 11 − 0, to a tenth of a decibel
    EXPECT_EQ(editor.Field("1k")->cursorPosition(), 0) << "a narrow field shows the start of its number";
}

TEST_F(BandEditorDialogTest, ALibraryOfThreeSpectraOffersTheChoiceList) {
    const QString path = PathOf("three.csv");
    WriteFile(path, Line("fan", 80) + Line("\"pump, north\"", 70) + Line("\x91\x97\x95\x97\x8B\x40", 60));
    OpenEditor editor(CBand::Filled(30.0), BandSpectrum::kSourceAveragePower);

    bool listSeen = false;
    auto chooseThird = [&](QWidget* w) {
        listSeen = true;
        EXPECT_EQ(w->windowTitle().toStdString(),
                  "バンド情報一覧　→　選択したいバンド情報を選択してください");
        auto* table = w->findChild<QTableWidget*>();
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->rowCount(), 3);
        ASSERT_EQ(table->columnCount(), 22);
        EXPECT_EQ(table->horizontalHeaderItem(0)->text().toStdString(),
                  " タイトル　　　　　　　　　　　　　　 ");
        EXPECT_EQ(table->horizontalHeaderItem(19)->text().toStdString(), " 3.15kHz ");
        EXPECT_EQ(table->item(1, 0)->text().toStdString(), "pump, north");
        EXPECT_EQ(table->item(1, 1)->text().toStdString(), "70");
        EXPECT_EQ(table->selectionModel()->selectedRows().front().row(), 0);
        table->selectRow(2);
        ButtonNamed(w, "OK")->click();
    };
    {
        ModalAnswers answers({ModalAnswers::File(path, kOpenTitle), chooseThird});
        editor.Click("ファイル情報から選択する...");
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.unused() == 0; }, 5000));
        EXPECT_EQ(answers.unexpected(), 0);
    }
    EXPECT_TRUE(listSeen);
    EXPECT_EQ(editor.Field("タイトル :")->text(), QString::fromUtf8("送風機"));
    EXPECT_EQ(editor.Field("800")->text(), "60");
    EXPECT_EQ(editor.dialog.spectrum(), CBand::Filled(30.0));  // the spectrum changes only with OK
}

TEST_F(BandEditorDialogTest, ASingleSpectrumIsTakenAtOnceAndADamagedFileChangesNothing) {
    const QString single = PathOf("single.csv");
    WriteFile(single, Line("only", 55.5));
    const QString damaged = PathOf("damaged.csv");
    WriteFile(damaged, Line("first", 1) + "\r\n" + Line("third", 3));
    OpenEditor editor(CBand::Filled(0.2), BandSpectrum::kRoomMeanAbsorption);

    std::vector<SeenMessage> seen;
    {
        ModalAnswers answers({ModalAnswers::File(single, kOpenTitle)});
        editor.Click("ファイル情報から選択する...");
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.unused() == 0; }, 5000));
        EXPECT_EQ(answers.unexpected(), 0);  // no list for one spectrum
    }
    EXPECT_EQ(editor.Field("50")->text(), "55.5");
    EXPECT_EQ(editor.Field("タイトル :")->text(), "only");

    {
        ModalAnswers answers({ModalAnswers::File(damaged, kOpenTitle), ModalAnswers::Message(seen)});
        editor.Click("ファイル情報から選択する...");
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.unused() == 0; }, 5000));
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "バンド情報選択");
    EXPECT_EQ(seen[0].text, "2行目がフィールド数が足りませんでした．");
    EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(editor.Field("50")->text(), "55.5");
    EXPECT_EQ(editor.Field("タイトル :")->text(), "only");
}

TEST_F(BandEditorDialogTest, AppendingWritesTheShownSpectrumAfterTheFileHolds) {
    const QString typed = PathOf("library");  // the save dialog adds ".csv"
    const QString path = PathOf("library.csv");
    WriteFile(path, Line("kept", 1));
    OpenEditor editor(CBand::Filled(70.0), BandSpectrum::kSourceAveragePower);
    editor.Field("タイトル :")->clear();

    std::vector<SeenMessage> seen;
    {
        ModalAnswers answers({ModalAnswers::Message(seen)});
        editor.Click("ファイル情報に追加する...");
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.unused() == 0; }, 5000));
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, "ファイル出力");
    EXPECT_EQ(seen[0].text, "出力タイトルを入力してください");
    EXPECT_EQ(editor.dialog.focusWidget(), editor.Field("タイトル :"));

    editor.Field("タイトル :")->setText(QString::fromUtf8("機械室, 送風機"));
    editor.Field("63")->setText("71.25");
    {
        ModalAnswers answers({ModalAnswers::File(typed, kSaveTitle), ModalAnswers::Message(seen)});
        editor.Click("ファイル情報に追加する...");
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers.unused() == 0; }, 5000));
        EXPECT_EQ(answers.unexpected(), 0);  // no question about the existing file
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].caption, "バンド情報追加");
    EXPECT_EQ(seen[1].text, "追加出力しました");

    const std::string bytes = ReadFile(path);
    ASSERT_EQ(bytes.substr(0, Line("kept", 1).size()), Line("kept", 1));
    const BandLibraryRead read = ReadBandLibraryFile(path.toStdString());
    ASSERT_EQ(read.spectra.size(), 2u);
    EXPECT_EQ(read.spectra[1].title, "機械室, 送風機");
    EXPECT_EQ(read.spectra[1].third[1], 71.25);
    EXPECT_EQ(read.spectra[1].third[20], 70.0);
}

TEST_F(BandEditorDialogTest, CallersGetTheSpectrumBackOnlyWithOk) {
    const auto typeAndPress = [](const char* value, const char* button) {
        return [value, button](QWidget* w) {
            FieldLabelled(w, "5k")->setText(value);
            ButtonNamed(w, button)->click();
        };
    };
    // Opened from a window that stays, for each button; the caller hears of OK only.
    QWidget owner;
    std::vector<CBand> received;
    for (const char* button : {"キャンセル", "OK"}) {
        ModalAnswers answers({typeAndPress("20", button)});
        QPointer<BandEditorDialog> dialog =
            BandEditorDialog::Open(&owner, CBand::Filled(10.0), BandSpectrum::kTransmissionLoss,
                                   [&](const CBand& edited) { received.push_back(edited); });
        EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(dialog->parentWidget(), &owner);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 3000))
            << "the dialog is deleted once closed";
        EXPECT_EQ(answers.unused(), 0u);
    }
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].third[20], 20.0);
    EXPECT_EQ(received[0].third[19], 10.0);
}

}  // namespace
}  // namespace kelmora
