// The Loudness column, filled in the background, and Ctrl+M, which matches the sounds picked
// by it in one step of the history.
#include "tests/editor/editor_session.h"
#include "tools/wave_file.h"

#include <cmath>
#include <numbers>

TEST_F(WindowTest, theLoudnessColumnFillsAsMeasuredSortsAndCtrlMMatchesThePickedByIt) {
    // A full-scale 1 kHz sine (about -3 LUFS) for the first sound, one at 0.6 of it (about
    // -7.5 LUFS) for the third, played at volume 1; the others' samples are not there. A layout
    // kept before the column came: Volume second.
    for (const auto& [name, amplitude] :
         {std::pair{"KV5 Sound 12.wav", 1.0}, std::pair{"KV3 Sound 45-bell.wav", 0.6}}) {
        WriteAll(dir / name, MakePcmWave(22050, 16, 1, 1, [a = amplitude](double t) {
                     return a * std::sin(2 * std::numbers::pi * 1000 * t);
                 }));
    }
    QSettings(Q(home / "settings.ini"), QSettings::IniFormat)
        .setValue("list", "order 0 2 1 3 4 5 6 7 8; widths 90 40 40 40 40 40 40 40 40; sort none");
    open();
    auto* list = child<SoundListBox>("SndLst");
    EXPECT_EQ(list->horizontalHeader()->visualIndex(static_cast<int>(SoundColumn::Loudness)), 2);
    const int column = static_cast<int>(SoundColumn::Loudness);
    const auto cells = [&](int role) {
        QStringList shown;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            shown << list->model()->index(row, column).data(role).toString();
        }
        return shown;
    };
    for (int wait = 0; wait < 500 && cells(Qt::ToolTipRole).contains("Not measured yet"); ++wait) {
        QTest::qWait(10);
    }
    // As each plays at its volume, with the library's own measure of its sample.
    const auto heard = [&](const char* sample, int volume) {
        return QString::number(*LoudnessAtVolume(*MeasureSampleFile(dir / sample).lufs, volume),
                               'f', 1) +
               " LUFS";
    };
    EXPECT_EQ(cells(Qt::DisplayRole), (QStringList{heard("KV5 Sound 12.wav", 100), "",
                                                   heard("KV3 Sound 45-bell.wav", 1), ""}));
    EXPECT_EQ(cells(Qt::ToolTipRole),
              (QStringList{"", "Its sample was not found", "", "Its sample was not found"}));
    list->sortBy(SoundColumn::Loudness, true);
    EXPECT_EQ(listTexts(), (QStringList{"KV5 Sound 12 - 45", "KV3 Sound 45 - 4", "Object 120",
                                        "KV2 Sound 45 - 300"}));
    list->sortBy(std::nullopt, false);

    // Three picked, the cursor on the third: each takes the volume at which it plays at the
    // loudness typed; the one without a loudness keeps its own.
    select(0);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::CTRL | Qt::Key_M, {Script::loudness(-9.0)});
    EXPECT_EQ(script->seen().at(0).text,
              "The loudness, in LUFS, at which the 3 sounds picked should play (the sound under "
              "the cursor plays at " +
                  heard("KV3 Sound 45-bell.wav", 1) + "): (" +
                  heard("KV3 Sound 45-bell.wav", 1).chopped(5) + ")");
    for (const auto& [detail, sample] :
         {std::pair{0, "KV5 Sound 12.wav"}, std::pair{2, "KV3 Sound 45-bell.wav"}}) {
        const double lufs = *MeasureSampleFile(dir / sample).lufs;
        EXPECT_EQ(ShowDetail(shownTable().Details[detail]).Volume,
                  std::lround(100 * std::pow(10, (-9.0 - lufs) / 20)));
    }
    EXPECT_EQ(shownTable().Details[1], MakeTable().Details[1]);
    EXPECT_EQ(child<QLabel>("SndStatus")->text(),
              "Set the volume of 2 sounds for -9.0 LUFS; 1 could not reach it");
    EXPECT_EQ(cells(Qt::DisplayRole).at(0), heard("KV5 Sound 12.wav", 50));
    key(Qt::CTRL | Qt::Key_Z);
    EXPECT_EQ(shownTable(), MakeTable());
}
