// Hearing a sound: where its sample is looked for, and the samples folder.
#include "tests/editor/editor_session.h"

TEST_F(WindowTest, playLooksBesideTheTableThenOffersOnceToChooseTheSamplesFolderAndKeepsIt) {
    open();
    select(static_cast<int>(listTexts().indexOf("KV5 Sound 12 - 45")));
    TempDir samples;
    const QString question = "KV5 Sound 12.wav was not found. Sondrel looked in:\n    " +
                             QDir::toNativeSeparators(Q(dir.path()));
    key(Qt::CTRL | Qt::Key_P,
        {Script::press(QMessageBox::Yes), Script::chooseFile(Q(samples.path())),
         Script::press(QMessageBox::Ok)});
    ASSERT_EQ(script->seen().size(), 3u);
    EXPECT_EQ(script->seen()[0].text, question + "\n\nChoose the folder the samples are in?");
    EXPECT_EQ(script->seen()[1].kind, "folder");
    EXPECT_EQ(script->seen()[1].title, "Choose the samples folder");
    EXPECT_TRUE(script->seen()[2].text.startsWith(
        question + "\n    " + QDir::toNativeSeparators(Q(samples.path())) + "\n\n"));
    EXPECT_EQ(window->player(), nullptr); // nothing to play: nothing of the audio stack loaded
    EXPECT_EQ(QSettings(Q(home / "settings.ini"), QSettings::IniFormat).value("samples"),
              Q(samples.path()));
    // Asked once: now only told, here for a double click on the sample chosen in the box.
    select(static_cast<int>(listTexts().indexOf("KV3 Sound 45 - 4")));
    EXPECT_EQ(child<QComboBox>("Samples")->currentText(), "KV3 Sound 45-bell.wav"); // its first
    child<QComboBox>("Samples")->setCurrentIndex(2);
    script->play({Script::press(QMessageBox::Ok)});
    QTest::mouseDClick(child<QComboBox>("Samples")->lineEdit(), Qt::LeftButton);
    EXPECT_TRUE(script->finished());
    EXPECT_TRUE(script->messages().at(0).startsWith("KV3 Sound 47.wav was not found."));
    // Several sounds, their samples differing (the box empty): the first sound's first.
    key(Qt::CTRL | Qt::Key_A);
    key(Qt::CTRL | Qt::Key_P, {Script::press(QMessageBox::Ok)});
    EXPECT_TRUE(script->messages().at(0).startsWith("KV5 Sound 12.wav was not found."));
}
