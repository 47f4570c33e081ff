// set and take: values stored into the sounds of many tables at once, as Update and "Take
// values from another table" store them in the window.
#include "document/take_values.h"
#include "formats/failure.h"
#include "formats/table_pair.h"
#include "logic/flags.h"
#include "logic/sound_columns.h"
#include "text/commands.h"
#include "text/many_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

[[noreturn]] void Refuse(const std::string& why) {
    throw ToolError{why, 2};
}

// One FIELD=VALUE of set: a field's text as the window's field takes it, a loudness for the
// volume, or a flag on or off.
struct Assignment {
    std::string text; // as given
    const FieldInfo* field = nullptr;
    std::string value;          // the field's text
    std::optional<double> lufs; // volume=-23LUFS
    const FlagInfo* flag = nullptr;
    bool on = false;
};

struct SetRequest {
    TableOptions options;
    std::string match;
    fs::path samples;
    std::vector<Assignment> assignments;
    std::vector<fs::path> tables;
};

// A loudness as typed after "volume=": "-23LUFS", "-23.5 LUFS".
std::optional<double> LoudnessText(std::string_view text) {
    const std::size_t unit = text.size() >= 4 ? text.size() - 4 : std::string_view::npos;
    if (unit == std::string_view::npos || text.substr(unit) != "LUFS") {
        return std::nullopt;
    }
    const std::string number(text.substr(0, unit));
    double lufs = 0;
    int used = 0;
    if (std::sscanf(number.c_str(), "%lf %n", &lufs, &used) != 1 ||
        static_cast<std::size_t>(used) != number.size() || !std::isfinite(lufs) || lufs > 0 ||
        lufs < -100) {
        return std::nullopt;
    }
    return lufs;
}

Assignment ReadAssignment(const std::string& text) {
    const std::size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    const std::string value = text.substr(equals + 1);
    Assignment assignment;
    assignment.text = text;
    for (const FieldInfo& field : kEditFields) {
        if (name == field.name) {
            assignment.field = &field;
            assignment.value = value;
            if (field.field == EditField::Volume && (assignment.lufs = LoudnessText(value))) {
                return assignment;
            }
            if (!ReadFieldChange(field.field, value)) {
                Refuse(text + ": the " + field.name + " takes " + WhatFieldTakes(field) +
                       (field.field == EditField::Volume
                            ? ", or a loudness from -100 to 0 LUFS: -23LUFS"
                            : ""));
            }
            return assignment;
        }
    }
    for (const FlagInfo& flag : kFlagLabels) {
        if (name.size() == 1 && name[0] == flag.letter) {
            if (value != "on" && value != "off") {
                Refuse(text + ": a flag is set with on or off: " + name + "=on");
            }
            assignment.flag = &flag;
            assignment.on = value == "on";
            return assignment;
        }
    }
    Refuse(text + ": set takes range, volume, pitch, chance, P, V, N, L or R");
}

SetRequest SetArguments(const std::vector<std::string>& arguments) {
    SetRequest request;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool more = i + 1 < arguments.size();
        if (argument == "--native") {
            request.options.native = true;
        } else if (argument == "--dry-run") {
            request.options.dryRun = true;
        } else if (argument == "--objects" && more) {
            request.options.native = true;
            request.options.objects = PathFromUtf8(arguments[++i]);
        } else if (argument == "--match" && more) {
            request.match = arguments[++i];
        } else if (argument == "--samples" && more) {
            request.samples = PathFromUtf8(arguments[++i]);
        } else if (argument.starts_with("-")) {
            Refuse("set does not take " + argument);
        } else if (request.tables.empty() && argument.find('=') != std::string::npos) {
            request.assignments.push_back(ReadAssignment(argument));
        } else {
            request.tables.push_back(PathFromUtf8(argument));
        }
    }
    if (request.assignments.empty() || request.tables.empty()) {
        Refuse("set needs at least one FIELD=VALUE and a table");
    }
    const auto given = [&](char letter) {
        for (const Assignment& a : request.assignments) {
            if (a.flag && a.flag->letter == letter && a.on) {
                return true;
            }
        }
        return false;
    };
    if (given('L') && given('R')) {
        Refuse("L=on and R=on: the loop modes L and R exclude each other");
    }
    return request;
}

// The view of a sound with the assignments made; `lufs` its sample's loudness, where one was
// asked for and measured.
EditView Assigned(const SoundDetail& detail, const std::vector<Assignment>& assignments,
                  std::optional<double> lufs, int& unreached) {
    EditView now = ViewOfDetail(detail);
    for (const Assignment& a : assignments) {
        if (a.field && a.lufs) {
            if (lufs) {
                const VolumeForLoudness volume = VolumeFor(*lufs, *a.lufs);
                unreached += volume.reached ? 0 : 1;
                now.Texts.*a.field->text = std::to_string(volume.volume);
            }
        } else if (a.field) {
            now.Texts.*a.field->text = a.value;
        } else {
            now.Colours.*a.flag->colour = a.on ? kRed : kBlack;
            if (a.on && (a.flag->letter == 'L' || a.flag->letter == 'R')) {
                now.Colours.*(a.flag->letter == 'L' ? &FlagColours::R : &FlagColours::L) = kBlack;
            }
        }
    }
    return now;
}

TableEdit SetInto(const OpenTable& open, const SetRequest& request, LoudnessCache& cache,
                  std::ostream& err) {
    std::optional<double> target;
    for (const Assignment& a : request.assignments) {
        target = a.lufs ? a.lufs : target;
    }
    const std::vector<fs::path> folders = SampleFoldersOf(open.path(), request.samples);
    TableEdit edit;
    int considered = 0;
    int unreached = 0;
    std::array<BatchResult::HeldCount, 4> held{};
    for (const SoundListEntry& entry : open.list()) {
        const SoundDetail& detail = open.table().Details[entry.detail()];
        if (!MatchesFilter(entry, detail, open.sampleNames(), request.match)) {
            continue;
        }
        ++considered;
        std::optional<double> lufs;
        if (target) {
            const SampleLoudness measured =
                FirstSampleLoudness(detail, open.sampleNames(), folders, cache);
            lufs = measured.lufs;
            if (!lufs) {
                err << "sondrel-text: " << DisplayPath(open.path()) << ": " << entry.Text
                    << " keeps its volume: " << measured.why << "\n";
                edit.incomplete = true;
            }
        }
        const EditResult result = StoreChanges(
            detail, ViewOfDetail(detail), Assigned(detail, request.assignments, lufs, unreached));
        for (std::size_t f = 0; f < held.size(); ++f) {
            held[f].atLeast += result.held[f] == Held::AtLeast ? 1 : 0;
            held[f].atMost += result.held[f] == Held::AtMost ? 1 : 0;
        }
        if (!(result.detail == detail)) {
            edit.changes.push_back({entry.detail(), detail, result.detail});
        }
    }
    for (const Assignment& a : request.assignments) {
        edit.words += (edit.words.empty() ? "" : " ") + a.text;
    }
    edit.words += " in " + std::to_string(considered) + " of " +
                  std::to_string(open.list().size()) + " sounds listed";
    for (const FieldInfo& field : kEditFields) {
        const BatchResult::HeldCount& count = held[static_cast<std::size_t>(field.field)];
        for (const auto& [n, at] : {std::pair{count.atLeast, 0}, {count.atMost, field.max}}) {
            if (n > 0) {
                edit.words += "; " + std::string(field.name) + ": " + std::to_string(n) +
                              " held at " + std::to_string(at);
            }
        }
    }
    if (unreached > 0) {
        char lufs[32];
        std::snprintf(lufs, sizeof lufs, "%.1f", *target);
        edit.words += "; " + std::to_string(unreached) + " could not reach " + lufs + " LUFS";
    }
    return edit;
}

} // namespace

int SetValues(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const SetRequest request = SetArguments(arguments);
    LoudnessCache cache; // a level's tables share their samples
    return EditEachTable(
        request.tables, request.options, ObjectNamesFor(request.options),
        [&](const OpenTable& open, std::ostream& e) { return SetInto(open, request, cache, e); },
        out, err);
}

int TakeValues(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    TableOptions options;
    TakenValues values = kAllValues;
    std::vector<fs::path> files;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--native") {
            options.native = true;
        } else if (argument == "--dry-run") {
            options.dryRun = true;
        } else if (argument == "--fields" && i + 1 < arguments.size()) {
            values = {};
            const std::string& list = arguments[++i];
            for (std::size_t at = 0; at <= list.size();) {
                const std::size_t end = std::min(list.find(',', at), list.size());
                const std::string name = list.substr(at, end - at);
                const auto found =
                    std::find(kTakenValueNames.begin(), kTakenValueNames.end(), name);
                if (found == kTakenValueNames.end()) {
                    Refuse("--fields " + list +
                           ": take takes range, volume, pitch, chance "
                           "and flags, separated by commas");
                }
                values[static_cast<std::size_t>(found - kTakenValueNames.begin())] = true;
                at = end + 1;
            }
        } else if (argument.starts_with("-")) {
            Refuse("take does not take " + argument);
        } else {
            files.push_back(PathFromUtf8(argument));
        }
    }
    if (files.size() < 2) {
        Refuse("take needs the table to take values from and a table to take them into");
    }
    const fs::path from = files.front();
    files.erase(files.begin());
    RequireTable(from);
    const PairAsRead source = ReadTablePair(from);
    const ObjectNameTable objects = ObjectNamesFor(options); // read once, for every table
    const std::vector<SoundListEntry> sourceList = ComputeSoundList(
        source.table, source.names, objects, options.native, DisplayPath(SampleListPath(from)));
    const ValueSource values_from{source.table, source.names, sourceList};
    const std::string taken = TakenWords(values);
    return EditEachTable(
        files, options, objects,
        [&](const OpenTable& open, std::ostream&) {
            TakePlan plan = PlanTake(open, {}, values_from, values);
            std::string words = taken + ": " + plan.words(DisplayPath(from));
            return TableEdit{std::move(plan.changes), std::move(words), false};
        },
        out, err);
}

} // namespace sondrel
