// Values taken from another table: the dialogs, the status line and the one step of undo.
#include "tests/editor/editor_session.h"

TEST_F(WindowTest, ctrlTTakesTheValuesChosenFromAnotherTableInOneUndoStep) {
    open();
    SoundTable other = MakeTable(); // the same sounds, two of them louder, one wider
    other.Details[0].Volume = 100;
    other.Details[2].Volume = 200;
    other.Details[3].Radius = 9;
    WriteAll(dir / "other.sfx", SerializeSFX(other));
    WriteText(dir / "other.sam", SerializeSampleNames(kSampleNames, 8));
    select(0);
    // Cancelled in the dialog of the values: nothing taken.
    key(Qt::CTRL | Qt::Key_T, {Script::chooseFile(Q(dir / "other.sfx")), Script::cancel()});
    EXPECT_EQ(script->seen().at(0).title, "Take values from");
    EXPECT_EQ(script->seen().at(1).text, "Of 4 sounds, 4 match a sound of other.sfx, 3 of which "
                                         "would change; 0 have no match.");
    EXPECT_EQ(shownTable(), MakeTable());

    key(Qt::CTRL | Qt::Key_T, {Script::chooseFile(Q(dir / "other.sfx")),
                               Script::take({{false, true, false, false, false}, false})});
    EXPECT_EQ(script->seen().at(1).text, "Of 4 sounds, 4 match a sound of other.sfx, 2 of which "
                                         "would change; 0 have no match.");
    EXPECT_EQ(shownTable().Details[0].Volume, 100);
    EXPECT_EQ(shownTable().Details[2].Volume, 200);
    EXPECT_EQ(shownTable().Details[3].Radius, 0); // the range was not taken
    EXPECT_EQ(child<QLabel>("SndStatus")->text(), "Took the volume of other.sfx into 2 sounds");
    EXPECT_EQ(fields().at(1), "40"); // the sound shown shows what it took
    EXPECT_EQ(caption(), "city.sfx* - OBEL Sondrel");
    key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(shownTable(), MakeTable());
    EXPECT_EQ(caption(), "city.sfx - OBEL Sondrel");
}
