#include "report/brief/settings_story.h"

#include "play/scratch_dir.h"
#include "printing/format.h"
#include "printing/names.h"

#include "settings/ini_lines.h"
#include "settings/settings.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <type_traits>

namespace simtool {

namespace {

struct Field {
    const char* key;
    std::function<bool(const SettingsRecord&, const SettingsRecord&)> same;
    std::function<std::string(const SettingsRecord&)> shown;
};

template <class T> bool sameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A field of the record under its key, compared bit for bit (so that a NaN
// equals itself) and shown as the brief shows it.
template <class T, class Show> Field field(const char* key, T SettingsRecord::*member, Show show) {
    return {key,
            [member](const SettingsRecord& a, const SettingsRecord& b) {
                if constexpr (std::is_same_v<T, std::string>) {
                    return a.*member == b.*member;
                } else {
                    return sameBits(a.*member, b.*member);
                }
            },
            [member, show](const SettingsRecord& r) { return show(r.*member); }};
}

std::string quotedText(const std::string& text) {
    return "\"" + text + "\"";
}
std::string intText(std::int32_t value) {
    return std::to_string(value);
}
std::string floatText(float value) {
    return shortest(value);
}

const std::vector<Field>& fields() {
    static const std::vector<Field> all = {
        field("DragInput", &SettingsRecord::DragInput, controlName),
        field("DragText", &SettingsRecord::DragText, quotedText),
        field("DropText", &SettingsRecord::DropText, quotedText),
        field("HoldTime", &SettingsRecord::HoldTime, intText),
        field("PickupAnimDuration", &SettingsRecord::PickupAnimDuration, intText),
        field("PutdownAnimDuration", &SettingsRecord::PutdownAnimDuration, intText),
        field("DetectionRadius", &SettingsRecord::DetectionRadius, floatText),
        field("SnapDistFeet", &SettingsRecord::SnapDistFeet, floatText),
        field("SnapDistHead", &SettingsRecord::SnapDistHead, floatText),
    };
    return all;
}

// Two records that differ from each other in every field: a line changes a
// value when the values loaded over one of them differ with and without it.
SettingsRecord sentinel(int which) {
    SettingsRecord r;
    r.DragInput = 0x5E0 + static_cast<std::uint32_t>(which);
    r.DragText = r.DropText = std::string(1, static_cast<char>(1 + which));
    r.HoldTime = r.PickupAnimDuration = r.PutdownAnimDuration = -7000 - which;
    r.DetectionRadius = r.SnapDistFeet = r.SnapDistHead = -7000.5f - static_cast<float>(which);
    return r;
}

// The loader's values, started from `start`, for this text as Pallbrook.ini.
SettingsRecord loaded(const SettingsRecord& start, const std::string& text) {
    {
        std::ofstream file("Pallbrook.ini", std::ios::binary | std::ios::trunc);
        file << text;
    }
    Settings = start;
    loadSettings();
    return Settings;
}

// The fields that differ between the loads of two texts, from either start.
std::vector<const Field*> changed(const std::string& with, const std::string& without) {
    std::vector<const Field*> out;
    for (int which = 0; which < 2; ++which) {
        const SettingsRecord a = loaded(sentinel(which), with);
        const SettingsRecord b = loaded(sentinel(which), without);
        for (const Field& field : fields()) {
            if (!field.same(a, b) && std::find(out.begin(), out.end(), &field) == out.end()) {
                out.push_back(&field);
            }
        }
    }
    return out;
}

std::string joined(const std::vector<std::string>& lines, std::size_t from, std::size_t to,
                   std::size_t skip) {
    std::string text;
    for (std::size_t i = from; i < to; ++i) {
        if (i != skip) {
            text += lines[i] + "\n";
        }
    }
    return text;
}

// What became of key line i.
std::string keyLineFate(const std::vector<std::string>& lines, std::size_t i,
                        const SettingsRecord& inForce) {
    const std::size_t none = lines.size();
    const std::string all = joined(lines, 0, none, none);
    const auto used = changed(all, joined(lines, 0, none, i));
    if (!used.empty()) {
        std::string fate = "used:";
        for (const Field* field : used) {
            fate += std::string(" ") + field->key + " " + field->shown(inForce);
        }
        return fate;
    }
    const std::string key = classifyLine(lines[i]).key;
    if (!changed("[Pallbrook]\n" + lines[i] + "\n", "[Pallbrook]\n").empty()) {
        const bool laterWins =
            !changed(joined(lines, 0, i + 1, none), joined(lines, 0, i, none)).empty();
        return laterWins ? "ignored: a later line gives " + key + " again"
                         : "ignored: not in the section [Pallbrook]";
    }
    for (const Field& field : fields()) {
        if (key == field.key) {
            return "ignored: the value cannot be used; " + key + " stays " + field.shown(inForce);
        }
    }
    return "ignored: no setting is named \"" + key + "\"";
}

std::string lineFate(const std::vector<std::string>& lines, std::size_t i,
                     const SettingsRecord& inForce) {
    const ClassifiedLine line = classifyLine(lines[i]);
    switch (line.kind) {
    case LineKind::Blank:
        return "blank";
    case LineKind::Comment:
        return "comment";
    case LineKind::SectionHeader:
        return "section [" + line.name + "]";
    case LineKind::KeyValue:
        return keyLineFate(lines, i, inForce);
    default:
        return "ignored: neither a section, a comment nor a key line";
    }
}

// Marks of the bytes the reader takes otherwise than an editor shows them.
std::vector<std::string> byteMarks(const std::string& bytes) {
    std::vector<std::string> marks;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        marks.push_back("  it starts with a byte order mark, which the reader takes as part of "
                        "its first line");
    }
    std::size_t lone = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        lone += bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n');
    }
    if (lone != 0) {
        marks.push_back("  " + std::to_string(lone) +
                        " line end(s) are CR alone, which the reader drops: the lines they end "
                        "run on as one");
    }
    return marks;
}

} // namespace

SettingsStory tellSettings(const std::optional<std::string>& bytes) {
    const SettingsRecord before = Settings;
    SettingsStory story;
    {
        ScratchDir folder(std::nullopt);
        const SettingsRecord inForce = bytes ? loaded(SettingsRecord{}, *bytes) : SettingsRecord{};
        story.detectionRadius = inForce.DetectionRadius;
        if (!bytes) {
            story.lines.push_back("settings: no Pallbrook.ini, every value its default");
        } else {
            story.lines.push_back("settings: Pallbrook.ini, " + std::to_string(bytes->size()) +
                                  " bytes");
            for (std::string& mark : byteMarks(*bytes)) {
                story.lines.push_back(std::move(mark));
            }
            const std::vector<std::string> lines = splitLines(*bytes);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (classifyLine(lines[i]).kind != LineKind::Blank) {
                    story.lines.push_back("  line " + std::to_string(i + 1) + ": " + lines[i] +
                                          "  -> " + lineFate(lines, i, inForce));
                }
            }
        }
        std::string values = "in force:";
        for (const Field& field : fields()) {
            values += std::string(" ") + field.key + " " + field.shown(inForce);
        }
        story.lines.push_back("  " + values);
    }
    Settings = before;
    return story;
}

} // namespace simtool
