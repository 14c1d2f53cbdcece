#pragma once
// The fax engine's Class 1 sending procedure as a test script: reads the answering machine's
// frames, sends TSI/DCS and the training check, pages and post-page messages, and DCN.
#include <gtest/gtest.h>

#include "dte_script.h"
#include "modem/remote_fax.h"
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
    return endPage(postPage);
  }

  // Ends the page data and sends the post-page message; returns the answer's FCF.
  int endPage(std::uint8_t postPage) {
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

// The engine's Class 1 receiving procedure: answers, offers V.17, takes the training check
// and the pages with the carrier codes it is given.
struct Class1Receiver {
  explicit Class1Receiver(DteScript& script) : dte(script) {}

  DteScript& dte;
  t30::DcsSettings dcs;

  // After RING: answers, sends CSI and DIS, reads TSI and DCS and takes the training check
  // with `tcfCode`. Returns "" once CFR has gone out, or the step that failed.
  std::string answerAndTrain(int tcfCode) {
    std::string r;
    if ((r = dte.at("ATA")) != "CONNECT") return "ATA: " + r;
    dte.sendFrame(t30::makeIdFrame(t30::kCsi, "QUILLON", false).bytes());
    if ((r = dte.finalResult()) != "CONNECT") return "CSI: " + r;
    dte.sendFrame(t30::makeDis(makeCapabilities(14400), true).bytes());
    if ((r = dte.finalResult()) != "OK") return "DIS: " + r;
    while (true) {
      if ((r = dte.at("AT+FRH=3")) != "CONNECT") return "+FRH: " + r;
      auto f = dte.readFrame();
      if (!f || (r = dte.finalResult()) != "OK" || f->size() < 5) return "frame: " + r;
      auto parsed = t30::Frame::parse(f->substr(0, f->size() - 2));
      if (!parsed) return "frame: unreadable";
      if (t30::fcfBase(parsed->fcf) == t30::kDcs) dcs = t30::readDcs(*parsed);
      if (parsed->last()) break;
    }
    if ((r = dte.at("AT+FRM=" + std::to_string(tcfCode))) != "CONNECT") return "TCF: " + r;
    if (!dte.readData()) return "TCF data";
    dte.finalResult();  // NO CARRIER
    if ((r = dte.at("AT+FTH=3")) != "CONNECT") return "CFR: " + r;
    dte.sendFrame(t30::makeFrame(t30::kCfr, true).bytes());
    if ((r = dte.finalResult()) != "OK") return "CFR sent: " + r;
    return "";
  }

  // +FRM for a page: its data, or nothing when no carrier was taken within `limit` of line
  // time (the DTE then stops the wait, as an engine's time-out does).
  std::optional<std::string> page(int code, Micros limit) {
    dte.send("AT+FRM=" + std::to_string(code) + "\r");
    if (!dte.waitFor("CONNECT\r\n", limit)) {
      dte.send("X");
      dte.finalResult();
      return std::nullopt;
    }
    auto data = dte.readData();
    dte.finalResult();
    return data;
  }
};

}  // namespace quillon::modem::test
