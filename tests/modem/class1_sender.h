#pragma once
// The fax engine's Class 1 sending procedure as a test script: reads the answering machine's
// frames, sends TSI/DCS and the training check, pages and post-page messages, and DCN.
#include <gtest/gtest.h>

#include "dte_script.h"
#include "modem/t30_frames.h"

namespace quillon::modem::test {

// The engine's Class 1 sending procedure, far enough to exercise every command.
struct Class1Sender {
  explicit Class1Sender(DteScript& script) : dte(script) {}

  DteScript& dte;
  std::string remoteId;
  std::string dis;

  // Reads the answering machine's frames after dialling, up to its final frame.
  bool readPhaseB() {
    while (true) {
      auto f = dte.readFrame();
      if (!f) return false;
      std::string result = dte.finalResult();
      if (result != "OK") return false;
      auto parsed = t30::Frame::parse(f->substr(0, f->size() - 2));  // two FCS bytes
      if (!parsed) return false;
      if (t30::fcfBase(parsed->fcf) == t30::kCsi) remoteId = t30::readId(*parsed);
      if (t30::fcfBase(parsed->fcf) == t30::kDis) dis = parsed->info;
      if (parsed->last()) return true;
      if (dte.at("AT+FRH=3") != "CONNECT") return false;
    }
  }

  // DCS and training at `code`; returns the FCF of the answer (CFR or FTT).
  int train(int code, int bps, bool fine = false) {
    EXPECT_EQ(dte.at("AT+FTH=3"), "CONNECT");
    dte.sendFrame(t30::makeIdFrame(t30::kTsi | 1, "SENDER", false).bytes());
    EXPECT_EQ(dte.finalResult(), "CONNECT");
    Modulation m = class1Code(code)->modulation;
    dte.sendFrame(t30::makeDcs(m, fine, false, 0x70, true).bytes());
    EXPECT_EQ(dte.finalResult(), "OK");
    EXPECT_EQ(dte.at("AT+FTM=" + std::to_string(code)), "CONNECT");
    dte.send(std::string(static_cast<std::size_t>(bps) * 3 / 16, '\0') + std::string("\x10\x03", 2));
    EXPECT_EQ(dte.finalResult(), "OK");
    return readAnswer();
  }

  // Sends a page and the post-page message; returns the answer's FCF.
  int page(int code, const std::string& data, std::uint8_t postPage) {
    EXPECT_EQ(dte.at("AT+FTM=" + std::to_string(code)), "CONNECT");
    // Page data at about the line's pace, as a program under flow control sends it: a modem's
    // transmit buffer is not endless.
    int bps = class1Code(code)->modulation.bps;
    std::string stuffed = dleStuff(data);
    for (std::size_t at = 0; at < stuffed.size(); at += 512) {
      std::string chunk = stuffed.substr(at, 512);
      dte.send(chunk);
      dte.run(static_cast<Micros>(chunk.size()) * 8 * 900000 / bps);
    }
    dte.send(std::string("\x10\x03", 2));
    EXPECT_EQ(dte.finalResult(), "OK");
    EXPECT_EQ(dte.at("AT+FTH=3"), "CONNECT");
    dte.sendFrame(t30::makeFrame(postPage | 1, true).bytes());
    EXPECT_EQ(dte.finalResult(), "OK");
    return readAnswer();
  }

  // The FCF of the other side's answer frame (-1 when none came).
  int readAnswer() {
    EXPECT_EQ(dte.at("AT+FRH=3"), "CONNECT");
    auto answer = dte.readFrame();
    EXPECT_EQ(dte.finalResult(), "OK");
    if (!answer || answer->size() < 3) return -1;
    return t30::fcfBase(static_cast<std::uint8_t>((*answer)[2]));
  }

  void disconnect() {
    EXPECT_EQ(dte.at("AT+FTH=3"), "CONNECT");
    dte.sendFrame(t30::makeFrame(t30::kDcn | 1, true).bytes());
    EXPECT_EQ(dte.finalResult(), "OK");
    EXPECT_EQ(dte.at("ATH"), "OK");
  }
};

}  // namespace quillon::modem::test
