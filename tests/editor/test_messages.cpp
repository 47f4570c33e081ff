// The program's message boxes: a key for every button, the focus on the default.
#include "tests/editor/editor_session.h"

TEST(WindowDialogs, everyQuestionHasKeysForItsButtonsAndItsFocusOnTheDefault) {
    const std::tuple<QMessageBox::StandardButtons, QMessageBox::StandardButton, const char*>
        questions[] = {
            {QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save,
             "&Save"},
            {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, "&Yes"},
            {QMessageBox::Yes | QMessageBox::No, QMessageBox::No, "&No"},
        };
    for (const auto& [buttons, defaultButton, focused] : questions) {
        QStringList seen;
        QTimer::singleShot(50, [&seen] {
            QMessageBox* box = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                box = box != nullptr ? box : qobject_cast<QMessageBox*>(widget);
            }
            for (QAbstractButton* button : box->buttons()) {
                seen << button->text();
            }
            auto* focus = qobject_cast<QAbstractButton*>(box->focusWidget());
            seen << "focus " + (focus != nullptr ? focus->text() : QString());
            if (focus != nullptr) {
                focus->click(); // Space on the button with the focus
            } else {
                box->reject();
            }
        });
        EXPECT_EQ(Ask(nullptr, "Keep it?", buttons, defaultButton), defaultButton);
        EXPECT_TRUE(seen.contains(QString("focus ") + focused)) << seen.join(", ").toStdString();
        for (const QString& text : seen) {
            EXPECT_TRUE(text.contains('&')) << text.toStdString();
        }
    }
}
