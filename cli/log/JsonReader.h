// Reads back one line of a log: a JSON object whose fields are texts, numbers, true, false, null,
// or objects and arrays (kept as their JSON text). Enough for the logs this program writes, and
// strict about anything else, so that a damaged line is refused rather than half-read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct JsonValue {
    enum class Kind { Text, Number, Boolean, Null, Nested };
    Kind kind = Kind::Null;
    std::string text; // Text: decoded, UTF-8. Number: as written. Nested: the JSON text.
    bool boolean = false;
};

class JsonObject {
public:
    // False for anything but one whole JSON object (surrounding blanks allowed), and for one that
    // gives a field twice, at any depth: JSON tools differ on which of the two they take, so a
    // person's tool and this reader could see different lines. Twice() then names that field.
    [[nodiscard]] bool Parse(std::string_view line);
    // The name given twice in the line refused last; none when that was not why.
    [[nodiscard]] const std::optional<std::string>& Twice() const { return m_twice; }

    [[nodiscard]] bool Has(std::string_view key) const { return m_fields.find(key) != m_fields.end(); }
    [[nodiscard]] bool IsNull(std::string_view key) const;
    // The field's text when it is one.
    [[nodiscard]] std::optional<std::string> Text(std::string_view key) const;
    // The field's value when it is a whole number that fits.
    [[nodiscard]] std::optional<std::int64_t> Integer(std::string_view key) const;
    [[nodiscard]] std::optional<bool> Boolean(std::string_view key) const;
    // The field's JSON text when it is an object or an array.
    [[nodiscard]] std::optional<std::string> Nested(std::string_view key) const;
    // The fields' names in the order the line gives them.
    [[nodiscard]] const std::vector<const std::string*>& Keys() const { return m_order; }

private:
    bool ParseFields(std::string_view line);
    const JsonValue* Find(std::string_view key, JsonValue::Kind kind) const;

    std::map<std::string, JsonValue, std::less<>> m_fields;
    // Into m_fields' keys, which stay where they are; its room is kept from line to line.
    std::vector<const std::string*> m_order;
    std::optional<std::string> m_twice;
};
