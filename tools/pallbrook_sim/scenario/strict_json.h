// Strict reading of a JSON file: duplicate keys and unknown keys are faults,
// every value must have the type its place wants, and each fault names its
// place as a JSON pointer.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simtool {

using Json = nlohmann::json;

// What is wrong with a file, one entry per fault: "PLACE: what".
class Problems {
  public:
    void add(const std::string& pointer, const std::string& what);
    bool empty() const { return list_.empty(); }
    const std::vector<std::string>& list() const { return list_; }

  private:
    std::vector<std::string> list_;
};

// Parses a file's text; bad JSON or a key given twice in one object is a fault.
std::optional<Json> parseJson(const std::string& text, Problems& problems);

// An object whose keys must all come from a known list.
class ObjectReader {
  public:
    // Reports a value that is not an object, and each key not in the list.
    ObjectReader(const Json& value, std::string pointer, Problems& problems,
                 const std::vector<std::string_view>& known);

    bool isObject() const { return object_ != nullptr; }
    bool has(std::string_view key) const;
    // The value under the key, or null when it is absent.
    const Json* find(std::string_view key) const;
    // The pointer of a key of this object.
    std::string at(std::string_view key) const;
    const std::string& pointer() const { return pointer_; }
    Problems& problems() const { return *problems_; }
    // Reports a missing key.
    const Json* require(std::string_view key) const;

  private:
    const Json* object_ = nullptr;
    std::string pointer_;
    Problems* problems_;
};

// A number; reports any other type, and a number no float can hold.
std::optional<double> readNumber(const Json& value, const std::string& pointer, Problems& problems);
std::optional<std::int64_t> readInteger(const Json& value, const std::string& pointer,
                                        Problems& problems, std::int64_t min, std::int64_t max);
std::optional<bool> readBool(const Json& value, const std::string& pointer, Problems& problems);
std::optional<std::string> readString(const Json& value, const std::string& pointer,
                                      Problems& problems);
// An array; reports any other type.
const Json* readArray(const Json& value, const std::string& pointer, Problems& problems);

} // namespace simtool
