// Hearing a sound: the sample chosen of the first sound shown, found in the table's folder or
// the samples folder, played at the volume and loop mode the fields and flags show.
#include "editor/file_dialog.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "formats/object_names.h"
#include "formats/sample_search.h"
#include "logic/sound_list.h"
#include "player/sample_player.h"

#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLibrary>
#include <QLineEdit>
#include <QSettings>

namespace sondrel {
namespace {

constexpr char kSamplesFolderKey[] = "samples";

// The player, loaded at the first Play; nothing, with why in `why`, where it cannot be.
std::unique_ptr<SamplePlayer> LoadPlayer([[maybe_unused]] QString& why) {
#if defined(_WIN32)
    return std::unique_ptr<SamplePlayer>(SondrelMakeSamplePlayer());
#else
    QLibrary module(QStringFromPath(ProgramFolder() / "audio" / "sondrel-audio.so"));
    const auto make =
        reinterpret_cast<SamplePlayer* (*)()>(module.resolve("SondrelMakeSamplePlayer"));
    if (make == nullptr) {
        why = module.errorString();
        return nullptr;
    }
    return std::unique_ptr<SamplePlayer>(make());
#endif
}

QString FolderList(const std::vector<std::filesystem::path>& folders) {
    QStringList lines;
    for (const std::filesystem::path& folder : folders) {
        lines << "    " + QDir::toNativeSeparators(QStringFromPath(folder));
    }
    return lines.join('\n');
}

} // namespace

std::vector<std::filesystem::path> Sondrel::sampleFolders() {
    std::vector<std::filesystem::path> folders{
        std::filesystem::absolute(open_.path()).parent_path()};
    const QSettings* kept = settings();
    if (!samplesFolder_.empty()) {
        folders.push_back(samplesFolder_);
    } else if (const QString chosen = kept ? kept->value(kSamplesFolderKey).toString() : QString();
               !chosen.isEmpty()) {
        folders.push_back(PathFromQString(chosen));
    }
    return folders;
}

void Sondrel::chooseSamplesFolder() {
    FileRequest request;
    request.action = FileRequest::Action::Folder;
    request.title = "Choose the samples folder";
    const std::vector<std::filesystem::path> folders = sampleFolders();
    request.directory = QStringFromPath(folders.back());
    if (const std::optional<QString> chosen = prompts_.chooseFile(this, request)) {
        samplesFolder_ = PathFromQString(*chosen);
        if (QSettings* kept = settingsToWrite()) {
            kept->setValue(kSamplesFolderKey, *chosen);
            kept->sync(); // for later runs, also should this one not end well
        }
        showStatus("Samples are looked for in " + QDir::toNativeSeparators(*chosen) +
                   " after the table's folder");
        if (!open_.path().empty()) {
            measureLoudness(); // found there now
        }
    }
}

std::optional<std::filesystem::path> Sondrel::findSample(std::string_view name) {
    const QString shown = NameText(name);
    SampleFile file = FindSampleFile(name, sampleFolders());
    if (file.search == SampleFile::Search::Missing && !offeredSamplesFolder_) {
        offeredSamplesFolder_ = true;
        if (prompts_.askYesNo(this, QStringLiteral("%1 was not found. Sondrel looked in:\n%2\n\n"
                                                   "Choose the folder the samples are in?")
                                        .arg(shown, FolderList(sampleFolders())))) {
            chooseSamplesFolder();
            file = FindSampleFile(name, sampleFolders());
        } else {
            return std::nullopt;
        }
    }
    switch (file.search) {
    case SampleFile::Search::Found:
        return file.path;
    case SampleFile::Search::Refused:
        // A NUL shown as such: a message would end at it.
        prompts_.tell(this, QStringLiteral("Sondrel does not play %1: %2.")
                                .arg(QString(shown).replace(QChar(0), QStringLiteral("\\0")),
                                     QString::fromStdString(file.why)));
        return std::nullopt;
    case SampleFile::Search::Missing:
        break;
    }
    prompts_.tell(this, QStringLiteral("%1 was not found. Sondrel looked in:\n%2\n\nThe list's "
                                       "context menu chooses the samples folder.")
                            .arg(shown, FolderList(sampleFolders())));
    return std::nullopt;
}

void Sondrel::playSound() {
    if (player_ && player_->playing()) {
        stopSound();
        showStatus("Stopped " + playing_);
        return;
    }
    playSample(Samples->currentIndex());
}

void Sondrel::playSample(int index) {
    stopSound();
    const std::optional<PlayChoice> choice = view_.play(index, editView());
    if (!choice) {
        if (!view_.empty()) {
            showStatus("The sound has no sample to play");
        }
        return;
    }
    const std::string_view name = choice->sample;
    const std::optional<std::filesystem::path> file = findSample(name);
    if (!file) {
        return;
    }
    if (!player_) {
        QString why;
        player_ = LoadPlayer(why);
        if (!player_) {
            prompts_.tell(this, "Sondrel cannot play sounds here: " + why);
            return;
        }
        player_->finished = [this] { showStatus("Played " + playing_); };
        player_->failed = [this](const std::string& why) {
            prompts_.tell(this, QStringLiteral("Sondrel cannot play %1: %2.")
                                    .arg(playing_, QString::fromStdString(why)));
        };
    }
    const Playback& playback = choice->playback;
    playing_ = NameText(name);
    player_->play(*file, playback.Gain, playback.Loop);
    showStatus(NameText(choice->words()));
}

void Sondrel::stopSound() {
    if (player_) {
        player_->stop();
    }
}

void Sondrel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && player_ && player_->playing()) {
        playSound(); // stops it
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Sondrel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Samples->lineEdit() && event->type() == QEvent::MouseButtonDblClick) {
        playSample(Samples->currentIndex());
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace sondrel
