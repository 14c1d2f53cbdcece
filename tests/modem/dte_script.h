#pragma once
// Drives one emulated modem the way a fax program does, in line time stepped by hand: send a
// command, run the line until the answer is there, read and write Class 1 frames.
#include <functional>
#include <optional>
#include <string>

#include "modem/dle.h"
#include "modem/emulated_modem.h"

namespace quillon::modem::test {

class DteScript {
 public:
  DteScript(PhoneLine& line, EmulatedModem& modem)
      : line_(line), send_([&modem](const std::string& b) { modem.fromDte(b); }),
        take_([&modem] { return modem.toDte(); }) {}
  // Any other modem with a DTE side whose time runs on the line's scheduler.
  DteScript(PhoneLine& line, std::function<void(const std::string&)> send, std::function<std::string()> take)
      : line_(line), send_(std::move(send)), take_(std::move(take)) {}

  void send(const std::string& bytes) { send_(bytes); }

  // Writes as a program that heeds XOFF does: in small pieces, none while the modem said XOFF
  // and not yet XON.
  void sendHeedingXoff(const std::string& bytes, Micros limit = seconds(300)) {
    Micros deadline = line_.now() + limit;
    for (std::size_t at = 0; at < bytes.size(); at += 256) {
      while (held() && line_.now() < deadline) line_.run(ms(10));
      send_(bytes.substr(at, 256));
    }
  }
  // Whether the modem's last flow character was XOFF (what came is kept for waitFor).
  bool held() {
    std::string got = take_();
    for (char c : got) {
      if (c == kXoff) xoff_ = true;
      if (c == kXon) xoff_ = false;
    }
    pending_ += got;
    return xoff_;
  }

  // Runs the line until `text` came from the modem; returns what came up to and including it.
  std::optional<std::string> waitFor(const std::string& text, Micros limit = seconds(120)) {
    Micros deadline = line_.now() + limit;
    while (true) {
      pending_ += take_();
      auto pos = pending_.find(text);
      if (pos != std::string::npos) {
        std::string got = pending_.substr(0, pos + text.size());
        pending_.erase(0, pos + text.size());
        return got;
      }
      if (line_.now() >= deadline) return std::nullopt;
      auto next = line_.scheduler().nextDue();
      Micros step = next ? std::max<Micros>(*next - line_.now(), 1) : ms(100);
      line_.run(std::min(step, deadline - line_.now()));
    }
  }

  // Sends a command line and returns the result code that ends its answer.
  std::string at(const std::string& command, Micros limit = seconds(120)) {
    send(command + "\r");
    return finalResult(limit);
  }

  // The next final result code line ("OK", "CONNECT", ...), with the information lines before
  // it kept in info().
  std::string finalResult(Micros limit = seconds(120)) {
    static const char* finals[] = {"OK", "CONNECT", "ERROR", "NO CARRIER", "BUSY", "NO DIALTONE",
                                   "NO ANSWER", "VOICE", "+FCERROR", "RING"};
    info_.clear();
    Micros deadline = line_.now() + limit;
    while (line_.now() <= deadline) {
      auto lineText = waitFor("\r\n", deadline - line_.now());
      if (!lineText) break;
      std::string text = lineText->substr(0, lineText->size() - 2);
      // Strip leading CR/LF and XON left from earlier answers.
      while (!text.empty() && (text[0] == '\r' || text[0] == '\n' || text[0] == kXon || text[0] == kXoff))
        text.erase(0, 1);
      if (text.empty()) continue;
      for (const char* f : finals)
        if (text == f || (std::string(f) == "CONNECT" && text.rfind("CONNECT", 0) == 0)) return text;
      info_ += text + "\n";
    }
    return "(time-out)";
  }
  const std::string& info() const { return info_; }

  // A received Class 1 frame (after CONNECT): its bytes without DLE framing.
  std::optional<std::string> readFrame(Micros limit = seconds(60)) {
    auto raw = waitFor(std::string{kDle, kEtx}, limit);
    if (!raw) return std::nullopt;
    std::string frame;
    DleReader reader;
    reader.feed(*raw, frame);
    return frame;
  }
  void sendFrame(const std::string& frame) { send(dleStuff(frame) + std::string{kDle, kEtx}); }

  // Reads page data after CONNECT up to DLE ETX.
  std::optional<std::string> readData(Micros limit = seconds(300)) { return readFrame(limit); }

  std::string& pending() { return pending_; }
  void run(Micros t) { line_.run(t); }

 private:
  PhoneLine& line_;
  std::function<void(const std::string&)> send_;
  std::function<std::string()> take_;
  std::string pending_;
  std::string info_;
  bool xoff_ = false;
};

}  // namespace quillon::modem::test
