// The manual the build made, Kelmora.pdf beside the program, read back as a reader's PDF viewer reads
// it: its length and bookmarks, every menu item and dialog caption of the program (taken from the
// program itself, so that a command or a dialog added later is named here until the manual describes
// it), every message of its chapter on messages (each as the program's sources write it), its
// screenshots; and the about box that opens it.
#include <gtest/gtest.h>

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <filesystem>

#include "ManualBook.h"
#include "QtTestApplication.h"
#include "app/AboutBox.h"
#include "app/MainWindowTest.h"
#include "calc/LongJob.h"
#include "calc/LongJobTexts.h"
#include "calc/RunHost.h"
#include "editing/BandEditorCallers.h"
#include "editing/EditLevels.h"
#include "manual/Poppler.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using testing::Squeezed;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ReadUtf8(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// The program's menu items as the build read them, on which parts of the chapters depend.
QStringList MenuItems() {
    const QString folder = QFileInfo(QStringLiteral(KELMORA_SCREENSHOT_CAPTIONS)).absolutePath();
    return ReadUtf8(folder + QStringLiteral("/menus.txt")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The chapters' Markdown as the manual sets it, in order.
QStringList Chapters() {
    QStringList texts;
    const QDir folder(QStringLiteral(KELMORA_MANUAL_SOURCES));
    const QStringList menus = MenuItems();
    for (const QString& name : folder.entryList({QStringLiteral("[0-9][0-9]-*.md")}, QDir::Files, QDir::Name))
        texts << manual::ResolveConditions(ReadUtf8(folder.filePath(name)), menus);
    return texts;
}

// The string constants of the program's sources whose names end in one of `endings`, with their text
// (adjacent literals joined), when it is Japanese: "kSizeDialogCaption" → "サイズ変更".
QStringList ConstantsNamed(const QString& endings) {
    const QRegularExpression constant(
        QStringLiteral(
            "(?:constexpr|const)\\s+(?:const\\s+)?(?:char\\s*\\*\\s*(?:const\\s+)?|std::string_view\\s+)"
            "k\\w*(?:%1)\\s*=\\s*((?:\"(?:[^\"\\\\]|\\\\.)*\"\\s*)+);")
            .arg(endings));
    static const QRegularExpression piece(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    static const QRegularExpression japanese(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    QStringList texts;
    for (const auto& entry : fs::recursive_directory_iterator(KELMORA_PROGRAM_SOURCES)) {
        const fs::path& p = entry.path();
        if (p.extension() != ".cpp" && p.extension() != ".h") continue;
        auto it = constant.globalMatch(ReadUtf8(QString::fromStdString(p.string())));
        while (it.hasNext()) {
            QString text;
            auto pieces = piece.globalMatch(it.next().captured(1));
            while (pieces.hasNext())
                text += pieces.next().captured(1);
            if (text.contains(japanese)) texts << text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
        }
    }
    texts.removeDuplicates();
    return texts;
}

QStringList Headings(const QString& markdown, const QString& marks) {
    QStringList headings;
    bool fenced = false;
    for (const QString& line : markdown.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("```"))) fenced = !fenced;
        if (!fenced && line.startsWith(marks + QLatin1Char(' ')))
            headings << line.mid(marks.size() + 1).trimmed();
    }
    return headings;
}

// Menu texts as a person reads them: "新規作成(&N)" shows as "新規作成(N)".
QString Shown(QString text) {
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text.trimmed();
}

// Every source file of the program, as one text: the messages of the manual are looked up in it.
const QString& ProgramSources() {
    static const QString text = [] {
        QString all;
        for (const auto& entry : fs::recursive_directory_iterator(KELMORA_PROGRAM_SOURCES)) {
            const fs::path& p = entry.path();
            if (p.extension() == ".cpp" || p.extension() == ".h")
                all += ReadUtf8(QString::fromStdString(p.string())) + QLatin1Char('\n');
        }
        // A string literal continued on the next line reads as one.
        static const QRegularExpression continued(QStringLiteral("\"\\s*\""));
        return all.remove(continued);
    }();
    return text;
}

class BuiltManual : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testing::TestApplication();
        pdf_ = new QString(QStringLiteral(KELMORA_MANUAL_PDF));
        text_ = new QString(Squeezed(testing::PdfText(*pdf_)));
    }
    static void TearDownTestSuite() {
        delete pdf_;
        delete text_;
    }

    // The texts the manual does not contain, for the failure message.
    static QStringList Missing(const QStringList& texts) {
        QStringList missing;
        for (const QString& t : texts)
            if (!t.isEmpty() && !text_->contains(Squeezed(t))) missing << t;
        missing.removeDuplicates();
        return missing;
    }

    static QString* pdf_;
    static QString* text_;
};

QString* BuiltManual::pdf_ = nullptr;
QString* BuiltManual::text_ = nullptr;

TEST_F(BuiltManual, HasItsPagesAndABookmarkForEveryChapterAndSection) {
    QString complaints;
    EXPECT_GE(testing::PageCount(*pdf_, &complaints), 40);
    EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();

    const auto marks = testing::Bookmarks(*pdf_);
    QStringList chapters, sections;
    for (const auto& m : marks)
        (m.depth == 0 ? chapters : sections) << m.title;
    QStringList expectedChapters, expectedSections;
    for (const QString& chapter : Chapters()) {
        expectedChapters << Headings(chapter, QStringLiteral("#"));
        expectedSections << Headings(chapter, QStringLiteral("##"));
    }
    EXPECT_EQ(expectedChapters.size(), 8);
    EXPECT_EQ(chapters, expectedChapters);
    EXPECT_EQ(sections, expectedSections);
    for (std::size_t i = 1; i < marks.size(); ++i)
        EXPECT_GE(marks[i].page, marks[i - 1].page);
}

TEST_F(BuiltManual, NamesEveryMenuItemOfTheProgram) {
    testing::ScriptedQuestions questions;
    AppContext context;
    context.questions = &questions;
    RegisterChainDialogs(context.registry);
    MainWindow window(context);
    window.show();
    ASSERT_NE(window.documents().Open(QStringLiteral(KELMORA_EXAMPLE_PROJECT)), nullptr);

    QStringList items;
    const std::function<void(QMenu&)> walk = [&](QMenu& menu) {
        emit menu.aboutToShow();  // menus filled as they open (the window list)
        items << Shown(menu.title());
        static const QRegularExpression numbered(QStringLiteral("^&\\d+ "));
        for (QAction* action : menu.actions()) {
            if (action->isSeparator() || numbered.match(action->text()).hasMatch()) continue;
            if (QMenu* sub = action->menu()) {
                walk(*sub);
                continue;
            }
            items << Shown(action->text());
        }
    };
    for (QAction* entry : window.menuBar()->actions())
        if (QMenu* menu = entry->menu()) walk(*menu);
    EXPECT_GE(items.size(), 30);
    EXPECT_TRUE(Missing(items).isEmpty()) << Missing(items).join(QStringLiteral(" | ")).toStdString();
    window.documents().CloseAllSilently();
}

TEST_F(BuiltManual, NamesEveryDialogCaptionOfTheProgram) {
    QStringList captions;
    for (int mode = 0; mode <= 40; ++mode)
        captions << Q(DialogCaption(mode));
    for (const BandEditorCaller& caller : BandEditorCallers())
        captions << Q(caller.caption);
    for (OutputFile file : {OutputFile::Breakdown, OutputFile::AverageResult, OutputFile::MaximumResult})
        captions << Q(FileRequestFor(file).title);
    // Every caption and dialog title the program keeps as a constant, and every window title it sets.
    const QStringList constants = ConstantsNamed(QStringLiteral("Caption|Title"));
    EXPECT_GE(constants.size(), 15) << constants.join(QStringLiteral(" | ")).toStdString();
    captions << constants;
    static const QRegularExpression windowTitle(
        QStringLiteral("setWindowTitle\\(QString::fromUtf8\\(\"([^\"]+)\"\\)"));
    auto it = windowTitle.globalMatch(ProgramSources());
    while (it.hasNext())
        captions << it.next().captured(1);
    // Every window the screenshots show (its title without the document's name), the about box among them.
    for (const QString& line : ReadUtf8(QStringLiteral(KELMORA_SCREENSHOT_CAPTIONS)).split(QLatin1Char('\n')))
        captions << line.section(QStringLiteral(" - "), 0, 0);
    EXPECT_GE(captions.size(), 50);
    EXPECT_TRUE(Missing(captions).isEmpty()) << Missing(captions).join(QStringLiteral(" | ")).toStdString();
}

// The messages of the chapter on messages: every table cell that is a code span, its variable parts
// written 〈…〉.
QStringList ChapterMessages() {
    QStringList messages;
    const QString chapter = Chapters().value(6);
    static const QRegularExpression cell(QStringLiteral("\\|\\s*`([^`]+)`\\s*(?=\\|)"));
    for (const QString& line : chapter.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char('|'))) continue;
        auto it = cell.globalMatch(line);
        while (it.hasNext())
            messages << it.next().captured(1);
    }
    return messages;
}

TEST_F(BuiltManual, ShowsEveryMessageOfItsMessageChapterAsTheProgramWritesIt) {
    const QStringList messages = ChapterMessages();
    EXPECT_GE(messages.size(), 90);
    EXPECT_TRUE(Missing(messages).isEmpty()) << Missing(messages).join(QStringLiteral(" | ")).toStdString();

    // Each fixed part of a message stands in the program's sources: none is mistyped or gone.
    static const QRegularExpression variable(QStringLiteral("〈[^〉]*〉"));
    QStringList unknown;
    for (const QString& message : messages)
        for (const QString& part : message.split(variable))
            if (part.trimmed().size() >= 2 && !ProgramSources().contains(part.trimmed())) unknown << message;
    unknown.removeDuplicates();
    EXPECT_TRUE(unknown.isEmpty()) << unknown.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(BuiltManual, ItsMessageChapterHasTheMessagesOfTheProgramsTables) {
    QStringList fromCode;
    // The editors' checks.
    static const QRegularExpression check(QStringLiteral("Check\\(\"([^\"]+)\""));
    auto it = check.globalMatch(ReadUtf8(QStringLiteral(KELMORA_PROGRAM_SOURCES "/model/Validation.cpp")));
    while (it.hasNext())
        fromCode << it.next().captured(1);
    // The progress dialog's lines and final messages.
    for (int code : {kJobNormalEnd, kJobCancelled, kJobError})
        fromCode << Q(EndStatusText(code));
    for (int result : {kJobNormalEnd, kJobCancelled, 0})
        if (const auto final = FinalMessageFor(result, "")) fromCode << Q(final->text);
    // Messages the program keeps as constants.
    const QStringList constants =
        ConstantsNamed(QStringLiteral("Message|Failed|Unusable|Differ|Wrong|NotSaved|Refused|Error|TooLarge|"
                                      "NotRegularFile|FileFormat"));
    EXPECT_GE(constants.size(), 15) << constants.join(QStringLiteral(" | ")).toStdString();
    fromCode << constants;
    QStringList missing;
    const QString chapter = Squeezed(ChapterMessages().join(QLatin1Char('\n')));
    for (const QString& message : fromCode)
        if (!chapter.contains(Squeezed(message.section(QLatin1Char('\n'), 0, 0)))) missing << message;
    EXPECT_TRUE(missing.isEmpty()) << missing.join(QStringLiteral(" | ")).toStdString();
}

TEST_F(BuiltManual, EmbedsEveryScreenshotSharplyAndSearchesAsItReads) {
    int figures = 0;
    QStringList used;
    static const QRegularExpression figure(QStringLiteral("^!\\[[^\\]]*\\]\\(([^)]+)\\)"),
                                           QRegularExpression::MultilineOption);
    for (const QString& chapter : Chapters()) {
        auto it = figure.globalMatch(chapter);
        while (it.hasNext()) {
            used << it.next().captured(1);
            ++figures;
        }
    }
    const auto pictures = testing::Pictures(*pdf_);
    EXPECT_GE(static_cast<int>(pictures.size()), figures);
    EXPECT_GE(figures, 40);
    for (const auto& picture : pictures) {
        EXPECT_EQ(picture.encoding, QStringLiteral("image")) << "page " << picture.page << ": not lossless";
        EXPECT_GE(picture.ppi, 150) << "page " << picture.page;
    }
    // Every picture the screenshots took is shown somewhere.
    const QDir shots = QFileInfo(QStringLiteral(KELMORA_SCREENSHOT_CAPTIONS)).dir();
    QStringList unused;
    for (const QString& name : shots.entryList({QStringLiteral("*.png")}, QDir::Files))
        if (!used.contains(name)) unused << name;
    EXPECT_TRUE(unused.isEmpty()) << unused.join(QStringLiteral(" | ")).toStdString();

    for (const char* word : {"騒音", "長さ", "音源", "壁・法肩", "面積", "工場"})
        EXPECT_TRUE(text_->contains(QString::fromUtf8(word))) << word;
    for (QChar c : *text_)
        EXPECT_FALSE(c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF)
            << "radical U+" << std::hex << static_cast<int>(c.unicode());
}

// Stands in for the desktop's service that opens a file with its viewer.
class OpenRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened << url; }
};

TEST_F(BuiltManual, TheAboutBoxOpensIt) {
    OpenRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
    {
        AboutBox box(QFileInfo(*pdf_).absolutePath());
        box.show();
        QPushButton* button = nullptr;
        for (QPushButton* b : box.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("マニュアルPDF...")) button = b;
        ASSERT_NE(button, nullptr);
        button->click();
        EXPECT_FALSE(button->isEnabled()) << "the button works once per opening";
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened.front(), QUrl::fromLocalFile(QFileInfo(*pdf_).absoluteFilePath()));
}

}  // namespace
}  // namespace kelmora

#include "BuiltManualTest.moc"
