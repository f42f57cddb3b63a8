#pragma once
// Driving dialogs headless as a person would: the application, controls found by their labels and
// texts, and answers to the modal windows (message boxes, file dialogs, nested dialogs) that a click
// opens, in the order they appear.
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "QtTestApplication.h"

namespace kelmora::testing {

// The field whose buddy label reads exactly `label`.
inline QLineEdit* FieldLabelled(QWidget* dialog, const char* label) {
    for (QLabel* l : dialog->findChildren<QLabel*>()) {
        if (l->text() == QString::fromUtf8(label)) return qobject_cast<QLineEdit*>(l->buddy());
    }
    return nullptr;
}

inline QPushButton* ButtonNamed(QWidget* dialog, const char* text) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
        if (b->text() == QString::fromUtf8(text)) return b;
    }
    return nullptr;
}

// A message box as the user saw it.
struct SeenMessage {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the modal windows that appear while it lives, one answer each, in order. A modal window for
// which no answer is left, or that its answer left open, is closed and counted as unexpected.
class ModalAnswers {
public:
    using Answer = std::function<void(QWidget*)>;

    explicit ModalAnswers(std::vector<Answer> answers) : answers_(answers.begin(), answers.end()) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }

    std::size_t unused() const { return answers_.size(); }
    int unexpected() const { return unexpected_; }

    // Clicks OK of a message box after noting what it said.
    static Answer Message(std::vector<SeenMessage>& seen) {
        return [&seen](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr) << "expected a message box";
            seen.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon()});
            box->button(QMessageBox::Ok)->click();
        };
    }

    // Chooses the file in a file dialog, checking its title.
    static Answer File(const QString& path, const char* title) {
        return [path, title](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr) << "expected a file dialog";
            EXPECT_EQ(dialog->windowTitle().toStdString(), title);
            // Types the whole path into the name field and presses the dialog's accepting button.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(path);
            QMetaObject::invokeMethod(dialog, "accept");
            EXPECT_FALSE(dialog->isVisible()) << "the file dialog did not take " << path.toStdString();
        };
    }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal->property("answered").toBool()) return;
        modal->setProperty("answered", true);
        if (answers_.empty()) {
            ++unexpected_;
            modal->close();
            return;
        }
        const Answer answer = answers_.front();
        answers_.pop_front();
        QPointer<QWidget> answered = modal;
        answer(modal);
        // An answer that failed to close its window must not leave the test waiting.
        if (answered && answered->isVisible()) {
            ++unexpected_;
            answered->close();
        }
    }

    std::deque<Answer> answers_;
    QTimer timer_;
    int unexpected_ = 0;
};

}  // namespace kelmora::testing
