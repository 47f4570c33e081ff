// The program's message boxes: a key for every button, the focus on the default.
#include "tests/editor/editor_session.h"

#include <bit>

TEST(WindowDialogs, everyQuestionHasKeysForItsButtonsAndItsFocusOnTheDefault) {
    for (const auto& [buttons, defaultButton] :
         {std::pair{QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    QMessageBox::Save},
          {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes},
          {QMessageBox::Yes | QMessageBox::No, QMessageBox::No}}) {
        QStringList texts;
        QTimer::singleShot(50, [&texts] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* button : box->buttons()) {
                texts << button->text();
            }
            // Space on the button with the focus: the default, where the focus is right.
            if (auto* focus = qobject_cast<QAbstractButton*>(box->focusWidget())) {
                focus->click();
            } else {
                box->reject();
            }
        });
        EXPECT_EQ(Ask(nullptr, "Keep it?", buttons, defaultButton), defaultButton);
        EXPECT_EQ(texts.size(), std::popcount(static_cast<unsigned>(buttons.toInt())));
        for (const QString& text : texts) {
            EXPECT_TRUE(text.contains('&')) << text.toStdString();
        }
    }
}
