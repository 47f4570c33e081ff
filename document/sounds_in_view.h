// The sounds in view: those of the list entries picked, as the fields, the flag labels and the
// Samples box show them, what a Play of them plays, and what an Update stores into them.
#pragma once

#include "document/open_table.h"
#include "logic/units.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

// What an Update of the sounds in view comes to.
struct UpdateOutcome {
    BatchResult batch; // the field refused, or the sounds whose bytes change
    // The status line's words: "Stored 80% of each volume into 100 sounds; 3 held at 0". In
    // the names' 8-bit text.
    std::string words;
};

// A Play of the sounds in view: the sample, and how it is heard.
struct PlayChoice {
    std::string_view sample; // as the sample list names it
    Playback playback;
    int volume = 0; // the volume the field shows, which the gain follows up to 100

    // The status line's words, in the names' 8-bit text: "Playing Door.wav at volume 101,
    // heard as 100, the sample's own level, looping until stopped".
    std::string words() const;
};

class SoundsInView {
public:
    SoundsInView() = default;
    // The sounds of these list positions of `open`, which must outlive it.
    SoundsInView(const OpenTable& open, std::vector<int> positions);

    bool empty() const { return positions_.empty(); }
    const std::vector<int>& positions() const { return positions_; }
    std::vector<std::size_t> details() const;
    // The texts of their list entries.
    std::vector<std::string> texts() const;
    // What the fields and the labels show: one sound's values, or what several share.
    const EditView& shown() const { return shown_; }
    // The names the Samples box lists: the sounds' samples where they all play the same ones,
    // as far as the sample list names them (a damaged table can point past its end).
    const std::vector<std::string_view>& boxNames() const { return boxNames_; }

    // What a Play of box index `index` plays (the first sound's first sample where the box
    // has no such index): the first sound as an Update would store `now` into it, or as it
    // is where a field is refused. Nothing where that sound has no sample named.
    std::optional<PlayChoice> play(int index, const EditView& now) const;

    // What an Update stores into each sound: what `now` changes against what was shown.
    UpdateOutcome update(const EditView& now) const;

private:
    const OpenTable* open_ = nullptr;
    std::vector<int> positions_;
    EditView shown_;
    std::vector<std::string_view> boxNames_;
};

} // namespace sondrel
