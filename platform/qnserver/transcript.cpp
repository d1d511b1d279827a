#include "platform/qnserver/transcript.h"

#include <fmt/format.h>

#include "host/error.h"

namespace qnserver {

void Transcript::SetStream(std::ostream* out) {
    file_.reset();
    out_ = out;
}

void Transcript::OpenFile(const std::string& path) {
    auto file = std::make_unique<std::ofstream>(path, std::ios::trunc);
    if (!*file)
        throw host::Error(0x7FFF0B05, fmt::format("cannot write the transcript '{}'", path));
    file_ = std::move(file);
    out_ = file_.get();
}

void Transcript::Line(char mark, const std::string& text) {
    if (!out_) return;
    *out_ << mark;
    if (!text.empty()) *out_ << ' ' << text;
    *out_ << '\n';
    out_->flush();
}

}  // namespace qnserver
