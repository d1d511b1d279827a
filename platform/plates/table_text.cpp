#include "platform/plates/table_text.h"

#include <charconv>
#include <iterator>

#include <fmt/format.h>

#include "host/error.h"

namespace plates {
namespace {

// The text with its tabs and line breaks shown as \t, \r and \n, for a message.
std::string Visible(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string GuardedId(std::string_view id) {
    static constexpr std::string_view kRisky = "=+-@\t\r'";
    if (!id.empty() && kRisky.find(id.front()) != std::string_view::npos)
        return "'" + std::string(id);
    return std::string(id);
}

void TableText::Separate() {
    if (lineStarted_) out_ += format_ == TextFormat::Csv ? ',' : '\t';
    lineStarted_ = true;
}

TableText& TableText::Text(std::string_view text, std::string_view what) {
    Separate();
    if (format_ == TextFormat::Tsv) {
        if (text.find_first_of("\t\r\n") != std::string_view::npos)
            throw host::Error(kErrTableText,
                              fmt::format("{} ('{}') holds a tab or a line break, which "
                                          "tab-separated text cannot hold; use --format csv",
                                          what, Visible(text)));
        // Readers of tab-separated text (Python's csv, pandas) take a field
        // that starts with a quote for a quoted one.
        if (!text.empty() && text.front() == '"')
            throw host::Error(kErrTableText,
                              fmt::format("{} ('{}') starts with a double quote, which "
                                          "tab-separated text cannot hold; use --format csv",
                                          what, text));
        out_ += text;
    } else if (text.find_first_of(",\"\r\n") != std::string_view::npos) {
        out_ += '"';
        for (char c : text) {
            if (c == '"') out_ += '"';
            out_ += c;
        }
        out_ += '"';
    } else {
        out_ += text;
    }
    return *this;
}

TableText& TableText::Id(std::string_view id, std::string_view what) {
    return Text(GuardedId(id), what);
}

TableText& TableText::Number(double v) {
    Separate();
    // Fixed notation up to 1e16, the shortest digits that read back to v.
    fmt::format_to(std::back_inserter(out_), "{}", v);
    return *this;
}

TableText& TableText::Integer(long long v) {
    Separate();
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out_.append(buf, ec == std::errc() ? end : buf);
    return *this;
}

TableText& TableText::Empty() {
    Separate();
    return *this;
}

void TableText::EndLine() {
    out_ += format_ == TextFormat::Csv ? "\r\n" : "\n";
    lineStarted_ = false;
}

}  // namespace plates
