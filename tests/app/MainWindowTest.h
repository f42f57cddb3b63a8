#pragma once
// The fixture of the window tests: the program's main window with scripted answers to its questions,
// over a scratch folder of the test's own. A test's SetUp fills in the context and the answers, then
// opens the window (and the bundled example in it); the window and the folder go at the end.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include <QImage>

#include "QtTestApplication.h"
#include "app/MainWindow.h"
#include "app/ScriptedQuestions.h"

namespace kelmora::testing {

// A text of the program's (UTF-8) as Qt shows it.
inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The bytes of a file the program wrote.
inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// How many pixels of the picture are in one of the (opaque) colours.
inline int CountPixels(const QImage& image, const std::set<QRgb>& colours) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += colours.count(image.pixel(x, y) | 0xFF000000u) > 0 ? 1 : 0;
    return n;
}

class MainWindowTest : public ::testing::Test {
protected:
    // The scratch folder <temp>/kelmora-<name>-<process id>, empty.
    void MakeWorkFolder(const std::string& name) {
        work =
            std::filesystem::temp_directory_path() / ("kelmora-" + name + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(work);
        std::filesystem::create_directories(work);
    }
    // The main window on the context, shown.
    void OpenWindow() {
        context.questions = &questions;
        window = std::make_unique<MainWindow>(context);
        window->show();
    }
    void OpenExample() {
        doc = window->documents().Open(QString::fromUtf8(KELMORA_EXAMPLE_PROJECT));
        ASSERT_NE(doc, nullptr);
    }
    void TearDown() override {
        if (window) {
            window->documents().CloseAllSilently();
            window.reset();
        }
        if (!work.empty()) std::filesystem::remove_all(work);
    }

    std::filesystem::path work;
    ScriptedQuestions questions;
    AppContext context;
    std::unique_ptr<MainWindow> window;
    KelmoraDocument* doc = nullptr;
};

}  // namespace kelmora::testing
