#include "scenario/strict_json.h"

#include "printing/format.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace simtool {

namespace {

const char* typeName(const Json& value) {
    switch (value.type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::object:
        return "an object";
    case Json::value_t::array:
        return "an array";
    case Json::value_t::string:
        return "a string";
    case Json::value_t::boolean:
        return "true or false";
    case Json::value_t::number_float:
        return "a number with a fraction";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
        return "a whole number";
    default:
        return "something else";
    }
}

void wrongType(const Json& value, const std::string& pointer, Problems& problems,
               const char* wanted) {
    problems.add(pointer, std::string("expected ") + wanted + ", found " + typeName(value));
}

// Follows the parser's events to know where it is, so that a key given twice
// can be named by its place.
class DuplicateKeyFinder {
  public:
    explicit DuplicateKeyFinder(Problems& problems) : problems_(&problems) {}

    bool operator()(int, Json::parse_event_t event, Json& parsed) {
        using E = Json::parse_event_t;
        switch (event) {
        case E::object_start:
            frames_.push_back({false, 0, {}, {}});
            break;
        case E::array_start:
            frames_.push_back({true, 0, {}, {}});
            break;
        case E::key:
            if (!frames_.empty()) {
                Frame& top = frames_.back();
                top.key = parsed.get<std::string>();
                if (!top.keys.insert(top.key).second) {
                    problems_->add(place(), "the key \"" + top.key + "\" is given twice");
                }
            }
            break;
        case E::object_end:
        case E::array_end:
            if (!frames_.empty()) {
                frames_.pop_back();
            }
            elementDone();
            break;
        case E::value:
            elementDone();
            break;
        }
        return true;
    }

  private:
    struct Frame {
        bool array;
        std::size_t index;
        std::string key;
        std::set<std::string> keys;
    };

    void elementDone() {
        if (!frames_.empty() && frames_.back().array) {
            ++frames_.back().index;
        }
    }

    std::string place() const {
        std::string pointer;
        for (const Frame& frame : frames_) {
            pointer +=
                "/" + (frame.array ? std::to_string(frame.index) : pointerSegment(frame.key));
        }
        return pointer;
    }

    Problems* problems_;
    std::vector<Frame> frames_;
};

// "line 3, column 7" of the byte the parser stopped at (counted from 1),
// which is past the last one when the text ends too soon.
std::string placeOfByte(const std::string& text, std::size_t byte) {
    const bool pastTheEnd = byte == 0 || byte > text.size();
    const std::size_t at = pastTheEnd ? text.size() + 1 : byte;
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i + 1 < at; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(at - lineStart) +
           (pastTheEnd ? ", where the file ends too soon" : "");
}

} // namespace

void Problems::add(const std::string& pointer, const std::string& what) {
    list_.push_back((pointer.empty() ? std::string("(top level)") : pointer) + ": " + what);
}

std::optional<Json> parseJson(const std::string& text, Problems& problems) {
    try {
        Json value = Json::parse(text, DuplicateKeyFinder(problems));
        if (!problems.empty()) {
            return std::nullopt;
        }
        return value;
    } catch (const Json::parse_error& error) {
        problems.add("", "not valid JSON at " + placeOfByte(text, error.byte));
        return std::nullopt;
    } catch (const Json::exception& error) {
        // A number too large for a double (1e400): the library names it
        // between quotes.
        const std::string what = error.what();
        const auto open = what.find('\'');
        const auto close = what.rfind('\'');
        problems.add("", "not valid JSON: a number beyond the range of a double" +
                             (close > open && open != std::string::npos
                                  ? ", " + what.substr(open + 1, close - open - 1)
                                  : std::string()));
        return std::nullopt;
    }
}

ObjectReader::ObjectReader(const Json& value, std::string pointer, Problems& problems,
                           const std::vector<std::string_view>& known)
    : pointer_(std::move(pointer)), problems_(&problems) {
    if (!value.is_object()) {
        wrongType(value, pointer_, problems, "an object");
        return;
    }
    object_ = &value;
    for (const auto& [key, item] : value.items()) {
        if (std::find(known.begin(), known.end(), key) == known.end()) {
            std::string list;
            for (std::string_view name : known) {
                list += (list.empty() ? "" : ", ") + std::string(name);
            }
            problems.add(at(key), "unknown key (known here: " + list + ")");
        }
    }
}

bool ObjectReader::has(std::string_view key) const {
    return find(key) != nullptr;
}

const Json* ObjectReader::find(std::string_view key) const {
    if (object_ == nullptr) {
        return nullptr;
    }
    auto found = object_->find(std::string(key));
    return found != object_->end() ? &*found : nullptr;
}

std::string ObjectReader::at(std::string_view key) const {
    return pointer_ + "/" + pointerSegment(key);
}

const Json* ObjectReader::require(std::string_view key) const {
    const Json* value = find(key);
    if (value == nullptr && object_ != nullptr) {
        problems_->add(pointer_, "the key \"" + std::string(key) + "\" is missing");
    }
    return value;
}

std::optional<double> readNumber(const Json& value, const std::string& pointer,
                                 Problems& problems) {
    if (!value.is_number()) {
        wrongType(value, pointer, problems, "a number");
        return std::nullopt;
    }
    // The world keeps its numbers as floats: from halfway between the largest
    // float and 2^128 on, a number rounds to infinity. Below that it rounds to
    // a float, the largest one included, however many digits it is written with.
    const auto number = value.get<double>();
    if (std::abs(number) >= 0x1.ffffffp+127) {
        problems.add(pointer, "beyond the range of a float (about 3.4e38)");
        return std::nullopt;
    }
    return number;
}

std::optional<std::int64_t> readInteger(const Json& value, const std::string& pointer,
                                        Problems& problems, std::int64_t min, std::int64_t max) {
    if (!value.is_number_integer()) {
        wrongType(value, pointer, problems, "a whole number");
        return std::nullopt;
    }
    if (value.is_number_unsigned() &&
        value.get<std::uint64_t>() > static_cast<std::uint64_t>(max)) {
        problems.add(pointer, "must be from " + std::to_string(min) + " to " + std::to_string(max));
        return std::nullopt;
    }
    auto number = value.get<std::int64_t>();
    if (number < min || number > max) {
        problems.add(pointer, "must be from " + std::to_string(min) + " to " + std::to_string(max));
        return std::nullopt;
    }
    return number;
}

std::optional<bool> readBool(const Json& value, const std::string& pointer, Problems& problems) {
    if (!value.is_boolean()) {
        wrongType(value, pointer, problems, "true or false");
        return std::nullopt;
    }
    return value.get<bool>();
}

std::optional<std::string> readString(const Json& value, const std::string& pointer,
                                      Problems& problems) {
    if (!value.is_string()) {
        wrongType(value, pointer, problems, "a string");
        return std::nullopt;
    }
    return value.get<std::string>();
}

const Json* readArray(const Json& value, const std::string& pointer, Problems& problems) {
    if (!value.is_array()) {
        wrongType(value, pointer, problems, "an array");
        return nullptr;
    }
    return &value;
}

} // namespace simtool
