// Reads back one line of a log: a JSON object whose fields are texts, numbers, true, false, null,
// or objects and arrays (kept as their JSON text). Enough for the logs this program writes, and
// strict about anything else, so that a damaged line is refused rather than half-read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

struct JsonValue {
    enum class Kind { Text, Number, Boolean, Null, Nested };
    Kind kind = Kind::Null;
    std::string text; // Text: decoded, UTF-8. Number: as written. Nested: the JSON text.
    bool boolean = false;
};

class JsonObject {
public:
    // False for anything but one whole JSON object (surrounding blanks allowed).
    [[nodiscard]] bool Parse(std::string_view line);

    [[nodiscard]] bool Has(const std::string& key) const { return m_fields.count(key) != 0; }
    [[nodiscard]] bool IsNull(const std::string& key) const;
    // The field's text when it is one.
    [[nodiscard]] std::optional<std::string> Text(const std::string& key) const;
    // The field's value when it is a whole number that fits.
    [[nodiscard]] std::optional<std::int64_t> Integer(const std::string& key) const;
    [[nodiscard]] std::optional<bool> Boolean(const std::string& key) const;

private:
    bool ParseFields(std::string_view line);

    std::map<std::string, JsonValue> m_fields;
};
