#include "soak/SoakQuestions.h"

#include <algorithm>

namespace kelmora::soak {

namespace fs = std::filesystem;

SoakQuestions::SoakQuestions(fs::path work, std::function<std::mt19937_64&()> random,
                             std::function<void(const std::string&)> note)
    : work_(std::move(work)), random_(std::move(random)), note_(std::move(note)) {}

int SoakQuestions::Uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_());
}

fs::path SoakQuestions::OneOf(const std::vector<fs::path>& files) {
    if (files.empty()) return work_ / "missing.kel";
    return files[static_cast<std::size_t>(Uniform(0, static_cast<int>(files.size()) - 1))];
}

std::optional<std::string> SoakQuestions::ChooseFileToOpen(QWidget*, const QString& title, const QString&) {
    std::optional<std::string> answer;
    const int roll = Uniform(0, 99);
    if (roll < 12) {
        answer = std::nullopt;  // cancelled
    } else if (roll < 16) {
        // A file that is gone, the scratch folder itself, a FIFO.
        const fs::path odd[] = {work_ / "gone" / "nothing.kel", work_, work_ / "fifo"};
        answer = odd[Uniform(0, 2)].string();
    } else if (title.contains(QString::fromUtf8("インポート"))) {
        answer = OneOf(drawings).string();
    } else if (title.contains(QString::fromUtf8("画像"))) {
        answer = OneOf(pictures).string();
    } else if (title.contains(QString::fromUtf8("ファイルを指定")) && roll < 60) {
        // The picture of "背景画像変更..." is asked as any file.
        answer = OneOf(pictures).string();
    } else if (title.contains(QString::fromUtf8("結果")) || title.contains(QString::fromUtf8("シナリオ"))) {
        answer = OneOf(roll < 80 ? results : projects).string();
    } else {
        answer = OneOf(roll < 85 ? projects : results).string();
    }
    note_("  open '" + title.toStdString() + "' -> " + (answer ? *answer : std::string("cancel")));
    return answer;
}

fs::path SoakQuestions::SavePath(const QString& title) {
    const int n = Uniform(0, 2);
    if (title.contains(QString::fromUtf8("保存"))) return work_ / ("saved-" + std::to_string(n) + ".kel");
    if (title.contains(QString::fromUtf8("内訳"))) return work_ / ("breakdown-" + std::to_string(n) + ".csv");
    if (title.contains(QString::fromUtf8("最大"))) return work_ / ("lamax-" + std::to_string(n) + ".txt");
    if (title.contains(QString::fromUtf8("等価"))) return work_ / ("laeq-" + std::to_string(n) + ".txt");
    if (title.contains(QString::fromUtf8("画像"))) return work_ / ("picture-" + std::to_string(n) + ".png");
    return work_ / ("output-" + std::to_string(n) + ".txt");
}

std::optional<std::string> SoakQuestions::ChooseFileToSave(QWidget*, const QString& title, const QString&,
                                                           const QString&, const QString&) {
    std::optional<std::string> answer;
    const int roll = Uniform(0, 99);
    if (roll < 10) {
        answer = std::nullopt;
    } else if (roll < 14) {
        answer = (work_ / "no-such-folder" / "file.kel").string();
    } else if (roll < 16) {
        answer = work_.string();  // a folder
    } else {
        answer = SavePath(title).string();
    }
    note_("  save '" + title.toStdString() + "' -> " + (answer ? *answer : std::string("cancel")));
    return answer;
}

QMessageBox::StandardButton SoakQuestions::Ask(QWidget*, const QString&, const QString& text,
                                               QMessageBox::StandardButtons buttons, QMessageBox::Icon) {
    std::vector<QMessageBox::StandardButton> offered;
    for (const QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel,
                                                QMessageBox::Ok, QMessageBox::Save, QMessageBox::Discard})
        if (buttons.testFlag(b)) offered.push_back(b);
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    if (!offered.empty())
        answer = offered[static_cast<std::size_t>(Uniform(0, static_cast<int>(offered.size()) - 1))];
    note_("  ask '" + text.left(60).toStdString() + "' -> " + std::to_string(static_cast<int>(answer)));
    return answer;
}

void SoakQuestions::Tell(QWidget*, const QString&, const QString& text, QMessageBox::Icon) {
    note_("  told '" + text.left(80).toStdString() + "'");
}

}  // namespace kelmora::soak
