#pragma once
// Lines of fields as CSV (RFC 4180: quoted only where needed, CRLF line ends)
// or TSV (no quoting at all: a field holding a tab or a line break, or
// starting with a double quote, cannot be written and is refused). Numbers are
// the shortest text that reads back to the same double.
#include <cstdint>
#include <string>
#include <string_view>

namespace plates {

// A value that the chosen format cannot hold.
inline constexpr std::int32_t kErrTableText = 0x7FFF1702;

enum class TextFormat { Csv, Tsv };

class TableText {
  public:
    explicit TableText(TextFormat format) : format_(format) {}

    // A text field; `what` names it when TSV must refuse it ("the ID of sample 3").
    TableText& Text(std::string_view text, std::string_view what = "a value");
    // A sample ID: also kept from being run as a formula by a spreadsheet (a
    // leading ' before =, +, -, @, a tab, a CR or a ' it starts with).
    TableText& Id(std::string_view id, std::string_view what);
    TableText& Number(double v);
    TableText& Integer(long long v);
    TableText& Empty();
    void EndLine();

    const std::string& Str() const { return out_; }
    std::string Take() { return std::move(out_); }

  private:
    void Separate();

    TextFormat format_;
    std::string out_;
    bool lineStarted_ = false;
};

// The ID as Id writes it before quoting; reading strips one leading '.
std::string GuardedId(std::string_view id);

}  // namespace plates
