#include "platform/kvdova/json_field.h"

#include <limits>
#include <set>
#include <vector>

#include <fmt/format.h>

#include "platform/kvdova/doc_error.h"

namespace kvdova {
namespace {

using nlohmann::json;

[[noreturn]] void FailAt(const std::string& source, const std::string& path,
                         const std::string& what) {
    if (path.empty()) throw host::Error(kErrDocumentFile, fmt::format("{}: {}", source, what));
    throw host::Error(kErrDocumentFile, fmt::format("{}: {}: {}", source, path, what));
}

std::string MemberPath(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

std::string ElementPath(const std::string& path, std::size_t i) {
    return fmt::format("{}[{}]", path, i);
}

// Builds the document as the library's own parser does, and refuses a
// repeated field, which that parser would silently let overwrite the first,
// naming its place. (The library's parser callback would do the same at
// twenty times the cost: a run's data file holds every reading.)
class StrictBuilder {
  public:
    StrictBuilder(json& root, const std::string& source) : dom_(root, true), source_(source) {}

    bool null() { return Value(dom_.null()); }
    bool boolean(bool v) { return Value(dom_.boolean(v)); }
    bool number_integer(json::number_integer_t v) { return Value(dom_.number_integer(v)); }
    bool number_unsigned(json::number_unsigned_t v) { return Value(dom_.number_unsigned(v)); }
    bool number_float(json::number_float_t v, const json::string_t& text) {
        return Value(dom_.number_float(v, text));
    }
    bool string(json::string_t& v) { return Value(dom_.string(v)); }
    bool binary(json::binary_t& v) { return Value(dom_.binary(v)); }
    bool start_object(std::size_t n) {
        frames_.push_back({true, {}, 0, {}, {}});
        return dom_.start_object(n);
    }
    bool key(json::string_t& key) {
        Frame& top = frames_.back();
        if (!top.Add(key)) {
            top.key = key;
            FailAt(source_, Path(), "the field appears twice in one object");
        }
        top.key = key;
        return dom_.key(key);
    }
    bool end_object() {
        frames_.pop_back();
        return Value(dom_.end_object());
    }
    bool start_array(std::size_t n) {
        frames_.push_back({false, {}, 0, {}, {}});
        return dom_.start_array(n);
    }
    bool end_array() {
        frames_.pop_back();
        return Value(dom_.end_array());
    }
    template <class Exception>
    bool parse_error(std::size_t position, const std::string& token, const Exception& e) {
        return dom_.parse_error(position, token, e);
    }

  private:
    struct Frame {
        bool isObject;
        std::string key;
        std::size_t index;
        std::vector<std::string> keys;  // looked through while an object is small
        std::set<std::string> many;     // and searched once it is not

        bool Add(const std::string& k) {
            if (keys.size() < 32) {
                for (const auto& held : keys)
                    if (held == k) return false;
                keys.push_back(k);
                if (keys.size() == 32) many.insert(keys.begin(), keys.end());
                return true;
            }
            return many.insert(k).second;
        }
    };

    // A value ends: the next element of the array around it begins.
    bool Value(bool result) {
        if (!frames_.empty() && !frames_.back().isObject) ++frames_.back().index;
        return result;
    }

    std::string Path() const {
        std::string path;
        for (const auto& f : frames_) {
            path = f.isObject ? MemberPath(path, f.key) : ElementPath(path, f.index);
        }
        return path;
    }

    nlohmann::detail::json_sax_dom_parser<json> dom_;
    const std::string& source_;
    std::vector<Frame> frames_;
};

// Finds the first text that is not valid UTF-8 and names its place.
void FindBadText(const json& j, const std::string& source, const std::string& path) {
    auto check = [&](const std::string& s, const std::string& where) {
        try {
            (void)json(s).dump();
        } catch (const json::type_error&) {
            FailAt(source, where, "text is not valid UTF-8");
        }
    };
    if (j.is_string()) {
        check(j.get_ref<const std::string&>(), path);
    } else if (j.is_object()) {
        for (const auto& [key, value] : j.items()) {
            check(key, MemberPath(path, "(name)"));
            FindBadText(value, source, MemberPath(path, key));
        }
    } else if (j.is_array()) {
        for (std::size_t i = 0; i < j.size(); ++i) FindBadText(j[i], source, ElementPath(path, i));
    }
}

}  // namespace

nlohmann::json ParseDocument(const std::string& text, const std::string& source) {
    try {
        json doc;
        StrictBuilder builder(doc, source);
        json::sax_parse(text, &builder);
        return doc;
    } catch (const json::exception& err) {
        // A syntax error, or a number beyond the range of a double. The
        // library's text starts with its own tag, then says where and what.
        std::string what = err.what();
        if (auto p = what.find("] "); p != std::string::npos) what = what.substr(p + 2);
        throw host::Error(kErrDocumentFile, fmt::format("{}: not valid JSON: {}", source, what));
    }
}

std::string DumpDocument(const nlohmann::json& doc, const std::string& source) {
    try {
        return doc.dump(2, ' ', false, json::error_handler_t::strict) + "\n";
    } catch (const json::type_error&) {
        FindBadText(doc, source, "");
        FailAt(source, "", "text is not valid UTF-8");
    }
}

JsonField::JsonField(const nlohmann::json& value, const std::string& source, std::string path)
    : value_(&value), source_(&source), path_(std::move(path)) {}

void JsonField::Fail(const std::string& what) const {
    FailAt(*source_, path_, what);
}

void JsonField::ExpectObject(std::initializer_list<const char*> keys) const {
    if (!value_->is_object()) Fail("expected an object");
    for (const char* key : keys) {
        if (!value_->contains(key)) FailAt(*source_, MemberPath(path_, key), "missing");
    }
    for (const auto& [key, value] : value_->items()) {
        bool known = false;
        for (const char* k : keys) known = known || key == k;
        if (!known) FailAt(*source_, MemberPath(path_, key), "unknown field");
    }
}

JsonField JsonField::Member(const std::string& key) const {
    if (!value_->is_object()) Fail("expected an object");
    auto it = value_->find(key);
    if (it == value_->end()) FailAt(*source_, MemberPath(path_, key), "missing");
    return JsonField(*it, *source_, MemberPath(path_, key));
}

std::size_t JsonField::ArraySize() const {
    if (!value_->is_array()) Fail("expected an array");
    if (value_->size() > static_cast<std::size_t>(kMaxCount)) {
        Fail(fmt::format("more than {} elements", kMaxCount));
    }
    return value_->size();
}

JsonField JsonField::Element(std::size_t i) const {
    ArraySize();
    if (i >= value_->size()) Fail(fmt::format("element {} is missing", i));
    return JsonField((*value_)[i], *source_, ElementPath(path_, i));
}

std::string JsonField::Text() const {
    if (!value_->is_string()) Fail("expected a string");
    return value_->get<std::string>();
}

bool JsonField::Bool() const {
    if (!value_->is_boolean()) Fail("expected true or false");
    return value_->get<bool>();
}

std::int64_t JsonField::Integer(std::int64_t min, std::int64_t max) const {
    const bool inRange = (value_->is_number_unsigned() &&
                          value_->get<std::uint64_t>() <= static_cast<std::uint64_t>(max)) ||
                         (value_->is_number_integer() && !value_->is_number_unsigned() &&
                          value_->get<std::int64_t>() >= min && value_->get<std::int64_t>() <= max);
    if (!inRange) Fail(fmt::format("expected an integer from {} to {}", min, max));
    return value_->get<std::int64_t>();
}

std::int32_t JsonField::Int32() const {
    using L = std::numeric_limits<std::int32_t>;
    return static_cast<std::int32_t>(Integer(L::min(), L::max()));
}

std::int16_t JsonField::Int16() const {
    using L = std::numeric_limits<std::int16_t>;
    return static_cast<std::int16_t>(Integer(L::min(), L::max()));
}

double JsonField::Number() const {
    if (!value_->is_number()) Fail("expected a number");
    return value_->get<double>();
}

}  // namespace kvdova
