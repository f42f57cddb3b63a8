// The desktop program's command line answers in Japanese, without a display.
#include <gtest/gtest.h>

#include <QProcess>

namespace kelmora {
namespace {

QString RunDesktop(const QStringList& arguments) {
    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QString::fromUtf8(KELMORA_DESKTOP), arguments);
    EXPECT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 0);
    return QString::fromUtf8(program.readAll());
}

TEST(CommandLine, HelpAndVersionAreTheProgramsOwnTexts) {
    const QString help = RunDesktop({QStringLiteral("--help")});
    EXPECT_TRUE(help.contains(QString::fromUtf8("このヘルプを表示する。"))) << help.toStdString();
    EXPECT_TRUE(help.contains(QString::fromUtf8("バージョン情報を表示する。")));
    EXPECT_TRUE(help.contains(QString::fromUtf8("開くプロジェクトファイル")));
    EXPECT_FALSE(help.contains(QStringLiteral("Displays"))) << "none of Qt's English option texts";
    EXPECT_EQ(RunDesktop({QStringLiteral("-h")}), help);
    EXPECT_TRUE(RunDesktop({QStringLiteral("--version")}).startsWith(QStringLiteral("Kelmora ")));
}

}  // namespace
}  // namespace kelmora
