// Values taken from another table: a fix made in one level brought to this one.
#include "document/take_values.h"
#include "editor/file_dialog.h"
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"
#include "formats/failure.h"

namespace sondrel {

void Sondrel::takeValues() {
    if (!mayLeaveShownSound()) {
        return;
    }
    FileRequest request;
    request.directory = QStringFromPath(std::filesystem::absolute(open_.path()).parent_path());
    request.filter = QStringLiteral("OBEL Sound Files (*.sfx)");
    request.title = QStringLiteral("Take values from");
    const std::optional<QString> chosen = prompts_.chooseFile(this, request);
    if (!chosen) {
        return;
    }
    const std::filesystem::path from = PathFromQString(*chosen);
    try {
        RequireTable(from);
        // Listed as this table is, so that a sound this list leaves out gives nothing.
        const PairAsRead read = ReadTablePair(from);
        const std::vector<SoundListEntry> list =
            ComputeSoundList(read.table, read.names, objectNames_, open_.includesNative(),
                             DisplayPath(SampleListPath(from)));
        const ValueSource source{read.table, read.names, list};
        const std::string name = DisplayPath(from.filename());
        const std::vector<int> picked = view_.positions();
        const auto plan = [&](const TakeChoice& choice) {
            return PlanTake(open_, choice.pickedOnly ? picked : std::vector<int>{}, source,
                            choice.values);
        };
        const std::optional<TakeChoice> choice = prompts_.chooseTake(
            this, {kAllValues, false}, !picked.empty(), [&](const TakeChoice& c) {
                return c.values == TakenValues{} ? QStringLiteral("Choose the values to take.")
                                                 : NameText(plan(c).words(name)) + '.';
            });
        if (!choice) {
            return;
        }
        TakePlan taken = plan(*choice);
        const std::size_t changed = taken.changes.size();
        storeChanges(std::move(taken.changes));
        showStatus(NameText(
            "Took the " +
            (choice->values == kAllValues ? std::string("values") : TakenWords(choice->values)) +
            " of " + name + " into " + std::to_string(changed) +
            (changed == 1 ? " sound" : " sounds") +
            (taken.ambiguous.empty()
                 ? std::string()
                 : "; " + std::to_string(taken.ambiguous.size()) + " left unsure")));
    } catch (const Failure& failure) {
        prompts_.reportFailure(this, failure, FailureMoment::WhileATableIsOpen);
    } catch (const std::bad_alloc&) {
        prompts_.reportFailure(this, OutOfMemoryFailure(), FailureMoment::WhileATableIsOpen);
    }
}

} // namespace sondrel
