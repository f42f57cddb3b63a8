// kelmora: the desktop program. Opens the projects named on the command line, and the documents that
// were open when it was last closed.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMessageBox>
#include <cstdlib>
#include <cstring>

#include "app/AboutBox.h"
#include "app/DataFolder.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "app/UserSettings.h"
#include "dialogs/UserQuestions.h"

namespace {

void SetIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("Brenwick"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelmora"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(kelmora::kProgramVersion));
}

// The command line in Japanese: the help and version options are the program's own, since Qt's
// translations leave the help option's text in English.
const QCommandLineOption kHelpOption({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                     QString::fromUtf8("このヘルプを表示する。"));
const QCommandLineOption kVersionOption({QStringLiteral("v"), QStringLiteral("version")},
                                        QString::fromUtf8("バージョン情報を表示する。"));

// Reads the command line; --help and --version print their text and end the program, a wrong option
// is told and ends it.
void ProcessCommandLine(QCommandLineParser& parser, const QCoreApplication& app) {
    parser.setApplicationDescription(QString::fromUtf8("Kelmora: 工場等の騒音予測プログラム"));
    parser.addOption(kHelpOption);
    parser.addOption(kVersionOption);
    parser.addPositionalArgument(QStringLiteral("project"), QString::fromUtf8("開くプロジェクトファイル"),
                                 QStringLiteral("[project...]"));
    parser.process(app);
    if (parser.isSet(kHelpOption)) parser.showHelp(0);
    if (parser.isSet(kVersionOption)) parser.showVersion();
}

// --help and --version answer without a display.
bool AsksOnlyForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "-?", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (AsksOnlyForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        SetIdentity();
        kelmora::InstallJapaneseTranslations(app);
        QCommandLineParser parser;
        ProcessCommandLine(parser, app);  // prints and exits
        return 0;
    }

    QApplication app(argc, argv);
    SetIdentity();
    kelmora::PrepareApplication(app);
    QCommandLineParser parser;
    ProcessCommandLine(parser, app);

    kelmora::DialogQuestions questions;
    kelmora::AppContext context;
    context.programFolder = kelmora::ProgramFolder();
    context.questions = &questions;
    kelmora::RegisterChainDialogs(context.registry);
    context.dataFolder = kelmora::ChooseDataFolder(std::getenv(kelmora::kDataFolderVariable),
                                                   context.programFolder, kelmora::UserDataFolder());

    kelmora::MainWindow window(context);
    if (!context.dataFolder)
        QMessageBox::warning(nullptr, QStringLiteral("Kelmora"),
                             QString::fromUtf8(kelmora::kDataFolderFailedMessage));
    window.RestoreSession();
    for (const QString& file : parser.positionalArguments())
        window.documents().Open(file);

    switch (kelmora::ReadInitialShow()) {
        case kelmora::InitialShow::Maximized:
            window.showMaximized();
            break;
        case kelmora::InitialShow::Minimized:
            window.showMinimized();
            break;
        case kelmora::InitialShow::Normal:
            window.show();
            break;
    }
    return app.exec();
}
