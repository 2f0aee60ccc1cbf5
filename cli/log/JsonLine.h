// One JSON object on one line, for the log and the plan. Texts in the product are in the system code
// page; they are converted to UTF-8 here, so a folder named with an "é" still gives valid JSON.
#pragma once

#include <chrono>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

class JsonLine {
public:
    // An object that starts with "event" and "time" (now, or the time given), the two fields
    // every log line has.
    [[nodiscard]] static JsonLine Event(std::string_view name);
    [[nodiscard]] static JsonLine Event(std::string_view name, std::chrono::system_clock::time_point time);

    // Texts are in the system code page.
    JsonLine& Add(std::string_view key, std::string_view text);
    JsonLine& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
    JsonLine& Add(std::string_view key, const std::string& text) { return Add(key, std::string_view(text)); }
    JsonLine& Add(std::string_view key, bool value);
    template<std::integral Number>
    requires(!std::same_as<Number, bool> && !std::same_as<Number, char>) JsonLine& Add(
        std::string_view key, Number number)
    {
        if constexpr (std::is_signed_v<Number>)
            return AddSigned(key, number);
        else
            return AddUnsigned(key, number);
    }
    JsonLine& AddNull(std::string_view key);
    JsonLine& AddObject(std::string_view key, const JsonLine& object);
    // value must be JSON already (an array, say, built with JsonString).
    JsonLine& AddRaw(std::string_view key, std::string_view value);
    // The object, without a line end.
    [[nodiscard]] std::string Text() const { return m_text + '}'; }
    // The object but its closing brace, for a writer that adds it and so spares the copy.
    [[nodiscard]] std::string_view Body() const { return m_text; }

private:
    JsonLine& AddSigned(std::string_view key, std::int64_t number);
    JsonLine& AddUnsigned(std::string_view key, std::uint64_t number);
    void AddKey(std::string_view key);

    std::string m_text = "{";
};

// A text of the system code page as UTF-8.
[[nodiscard]] std::string SystemTextToUtf8(std::string_view text);

// The way back, for a log read again: UTF-8 as a text of the system code page; empty optional for
// UTF-8 that is not well formed or holds a character the code page lacks.
[[nodiscard]] std::optional<std::string> Utf8ToSystemText(std::string_view utf8);

// A text of the system code page as a JSON string, quotes included.
[[nodiscard]] std::string JsonString(std::string_view text);

// UTC in ISO 8601 with milliseconds: 2026-12-08T11:24:07.123Z.
[[nodiscard]] std::string UtcTimestamp(std::chrono::system_clock::time_point time);
[[nodiscard]] std::string UtcTimestamp();
// The way back, for UtcTimestamp's form only; empty optional for anything else, or for a time the
// clock cannot hold.
[[nodiscard]] std::optional<std::chrono::system_clock::time_point> ParseUtcTimestamp(std::string_view text);
