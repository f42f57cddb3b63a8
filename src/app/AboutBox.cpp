#include "app/AboutBox.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Icons.h"

namespace kelmora {

QStringList ManualCandidates(const QString& programFolder) {
    QStringList candidates{QDir(programFolder).filePath(QString::fromUtf8(kManualFileName))};
#ifdef KELMORA_DOC_DIR
    candidates << QDir(QStringLiteral(KELMORA_DOC_DIR)).filePath(QString::fromUtf8(kManualFileName));
#endif
    return candidates;
}

AboutBox::AboutBox(const QString& programFolder, QWidget* parent)
    : QDialog(parent), programFolder_(programFolder) {
    setWindowTitle(QString::fromUtf8("Kelmora について"));
    auto* icon = new QLabel(this);
    icon->setPixmap(PaintedIcon(ToolIcon::Program).pixmap(48, 48));
    auto* name =
        new QLabel(QString::fromUtf8("Kelmora、バージョン %1").arg(QString::fromUtf8(kProgramVersion)), this);
    auto* description = new QLabel(
        QString::fromUtf8(
            "工場等の騒音予測プログラム：地表線・建物・音源から予測点の LAeqT と LAmax を計算します"),
        this);
    description->setWordWrap(true);
    manual_ = new QPushButton(QString::fromUtf8("マニュアルPDF..."), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(manual_, &QPushButton::clicked, this, &AboutBox::OpenManual);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(description);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(manual_);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void AboutBox::OpenManual() {
    manual_->setEnabled(false);
    const QStringList candidates = ManualCandidates(programFolder_);
    for (const QString& path : candidates) {
        if (QFileInfo::exists(path)) {
            if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
                QMessageBox::information(
                    this, windowTitle(),
                    QString::fromUtf8("マニュアルを開くことができませんでした.\n%1").arg(path));
            return;
        }
    }
    QMessageBox::information(this, windowTitle(),
                             QString::fromUtf8("マニュアル %1 が見つかりません.\n%2")
                                 .arg(QString::fromUtf8(kManualFileName), candidates.join('\n')));
}

}  // namespace kelmora
