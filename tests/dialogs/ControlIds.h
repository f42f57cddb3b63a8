#pragma once
// The controls of an editor found by their numbers (object name "control<id>"), clicked and typed into
// as a person would.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

namespace kelmora::testing {

template <typename W = QWidget>
W* Control(QWidget* dialog, int id) {
    return dialog->findChild<W*>(QStringLiteral("control%1").arg(id));
}

inline void Click(QWidget* dialog, int id) {
    QAbstractButton* button = Control<QAbstractButton>(dialog, id);
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

inline void Type(QWidget* dialog, int id, const char* text) {
    QLineEdit* edit = Control<QLineEdit>(dialog, id);
    ASSERT_NE(edit, nullptr) << id;
    edit->setText(QString::fromUtf8(text));
}

}  // namespace kelmora::testing
