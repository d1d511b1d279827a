#pragma once
// The instrument's transcript, a few lines per exchange:
//   > COMMAND    as sent
//   < REPLY      the (final) reply, empty for success
//   = ANSWER     when the command answered something
//   # NOTE       server operations: "Lock 1", "Lock 0", "EmergencyStop", ...
#include <fstream>
#include <memory>
#include <ostream>
#include <string>

namespace qnserver {

class Transcript {
  public:
    // Writes to out (not owned; nullptr stops the transcript).
    void SetStream(std::ostream* out);
    // Writes to a file, replacing it; raises host::Error when it cannot be opened.
    void OpenFile(const std::string& path);

    void Sent(const std::string& command) { Line('>', command); }
    void Reply(const std::string& reply) { Line('<', reply); }
    void Answer(const std::string& answer) {
        if (!answer.empty()) Line('=', answer);
    }
    void Note(const std::string& note) { Line('#', note); }

  private:
    void Line(char mark, const std::string& text);
    std::unique_ptr<std::ofstream> file_;
    std::ostream* out_ = nullptr;
};

}  // namespace qnserver
