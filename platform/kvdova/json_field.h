#pragma once
// Strict reading of a JSON document: every access names the file and the field
// path ("m.json: tables[0].rows[3][1].value: expected a number") when the
// document does not hold what it must.
#include <cstdint>
#include <initializer_list>
#include <string>

#include <nlohmann/json.hpp>

#include "host/error.h"

namespace kvdova {

// Parses text; refuses malformed or truncated JSON and objects with a repeated
// field, naming source and the place.
nlohmann::json ParseDocument(const std::string& text, const std::string& source);

// Pretty-printed with 2 spaces and a final line feed; keys in sorted order, so
// the same document always gives the same bytes. Refuses texts that are not
// valid UTF-8, naming source and the field.
std::string DumpDocument(const nlohmann::json& doc, const std::string& source);

// A place in a parsed document. Holds references: the document and source
// must outlive it.
class JsonField {
  public:
    JsonField(const nlohmann::json& value, const std::string& source, std::string path = {});

    // Raises unless this is an object holding exactly these fields.
    void ExpectObject(std::initializer_list<const char*> keys) const;
    // Raises unless this is an object holding key.
    JsonField Member(const std::string& key) const;
    // Raises unless this is an array; then its size.
    std::size_t ArraySize() const;
    JsonField Element(std::size_t i) const;

    std::string Text() const;
    bool Bool() const;
    std::int32_t Int32() const;
    std::int16_t Int16() const;
    double Number() const;

    const nlohmann::json& Json() const { return *value_; }
    const std::string& Path() const { return path_; }
    [[noreturn]] void Fail(const std::string& what) const;

    // Runs f; an error it raises is raised again naming this place.
    template <class F>
    auto Guard(F&& f) const {
        try {
            return f();
        } catch (const host::Error& err) {
            Fail(err.what());
        }
    }

  private:
    std::int64_t Integer(std::int64_t min, std::int64_t max) const;

    const nlohmann::json* value_;
    const std::string* source_;
    std::string path_;
};

}  // namespace kvdova
