#pragma once
// The program's questions answered at random by the soak: files to open (projects, pictures, result
// files — good ones, damaged ones, missing ones, a folder, a FIFO), files to save (in the scratch
// folder, in a folder that does not exist, onto a folder), yes/no/cancel. Every answer is drawn from
// the random numbers of the step that asked.
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "dialogs/UserQuestions.h"

namespace kelmora::soak {

class SoakQuestions : public UserQuestions {
public:
    // `random` gives the random numbers of the current step; `note` records what was asked and answered.
    SoakQuestions(std::filesystem::path work, std::function<std::mt19937_64&()> random,
                  std::function<void(const std::string&)> note);

    // Files the open dialogs choose among, by kind.
    std::vector<std::filesystem::path> projects;  // saved projects, the example, damaged files
    std::vector<std::filesystem::path> pictures;  // background pictures, good and bad
    std::vector<std::filesystem::path> results;   // result files of runs, and other text
    std::vector<std::filesystem::path> drawings;  // drawings to import, good and bad

    std::optional<std::string> ChooseFileToOpen(QWidget* parent, const QString& title,
                                                const QString& filter) override;
    std::optional<std::string> ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter,
                                                const QString& suffix, const QString& suggestedName) override;
    QMessageBox::StandardButton Ask(QWidget* parent, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override;
    void Tell(QWidget* parent, const QString& caption, const QString& text, QMessageBox::Icon icon) override;

    // A file a save dialog would choose for this title (also the run's output files).
    std::filesystem::path SavePath(const QString& title);

private:
    int Uniform(int low, int high);
    std::filesystem::path OneOf(const std::vector<std::filesystem::path>& files);

    std::filesystem::path work_;
    std::function<std::mt19937_64&()> random_;
    std::function<void(const std::string&)> note_;
};

}  // namespace kelmora::soak
