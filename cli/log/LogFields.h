// The fields of one line of a log, read into an event's members for LogReader. A field is
// Required (there, and what it should be), Optional (when there, what it should be) or Lenient
// (taken when it is what it should be, else left as it was); a reader made lenient takes every
// field so. Good() tells whether every field was as asked.
#pragma once

#include "cli/log/JsonReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

enum class Need : unsigned char { Required, Optional, Lenient };

class LogFields {
public:
    LogFields(const JsonObject& object, bool lenient)
        : m_object(object)
        , m_lenient(lenient)
    { }

    [[nodiscard]] bool Good() const { return m_good; }

    // A text, in the system code page: UTF-8 the code page can hold, without a zero byte, which
    // would cut it short in every call it is given to.
    void Text(std::string_view key, std::string& into, Need need = Need::Required);
    void Text(std::string_view key, std::optional<std::string>& into); // Optional
    // A text, or null for none (Required).
    void Nullable(std::string_view key, std::optional<std::string>& into);
    // A whole number that the member holds.
    template<class Number> void Integer(std::string_view key, Number& into, Need need = Need::Required)
    {
        const std::optional<std::int64_t> number = m_object.Integer(key);
        if (number && std::in_range<Number>(*number))
            into = static_cast<Number>(*number);
        else
            Missing(key, need);
    }
    template<class Number> void Integer(std::string_view key, std::optional<Number>& into)
    {
        if (!m_object.Has(key))
            return;
        const std::optional<std::int64_t> number = m_object.Integer(key);
        if (number && std::in_range<Number>(*number))
            into = static_cast<Number>(*number);
        else
            Missing(key, Need::Required);
    }
    void Boolean(std::string_view key, bool& into, Need need = Need::Required);
    // One of two words: into is whether it is yes.
    void Word(std::string_view key, bool& into, std::string_view yes, std::string_view no);

private:
    void Missing(std::string_view key, Need need);

    const JsonObject& m_object;
    bool m_lenient;
    bool m_good = true;
};

// The fields of a nested object ("counts"), when the line has one there.
bool NestedObject(const JsonObject& object, std::string_view key, JsonObject& nested);
