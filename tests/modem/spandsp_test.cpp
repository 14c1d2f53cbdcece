// SpanDSP's fax terminal, an independent T.30 implementation, as the remote machine: the
// Class 1 emulation (driven as the fax engine drives it) and the emulator's own T.30 must
// complete faxes with it in both directions.
#include <gtest/gtest.h>

#include "class1_sender.h"
#include "modem/fax_files.h"
#include "modem/remote_fax.h"
#include "modem/spandsp_audio_modem.h"
#include "modem/spandsp_fax_machine.h"
#include "support/temp_dir.h"

using namespace quillon::modem;
using quillon::modem::test::Class1Sender;
using quillon::modem::test::DteScript;

namespace {
// Runs the line until the machine is done (line time, so no real waiting).
bool runUntilFinished(PhoneLine& line, const SpanDspFaxMachine& machine, Micros limit = seconds(300)) {
  for (Micros t = 0; t < limit && !machine.finished(); t += ms(100)) line.run(ms(100));
  line.run(seconds(1));
  return machine.finished();
}
}  // namespace

TEST(SpanDsp, Class1EngineScriptSendsAPageToASpanDspReceiver) {
  quillon::test::TempDir dir;
  PhoneLine line;
  EmulatedModem modem(line, "100");
  DteScript dte(line, modem);
  SpanDspFaxMachine remote(line, SpanDspFaxMachine::Role::Receiver, "555", "SPANDSP RX", dir.file("rx.tif"));
  ASSERT_EQ(dte.at("ATE0"), "OK");
  ASSERT_EQ(dte.at("AT+FCLASS=1"), "OK");
  ASSERT_EQ(dte.at("ATDT555"), "CONNECT");
  Class1Sender s{dte};
  ASSERT_TRUE(s.readPhaseB());
  EXPECT_EQ(s.remoteId, "SPANDSP RX");
  ASSERT_EQ(s.dis.size() >= 3, true);
  ASSERT_EQ(s.train(96, 9600), t30::kCfr);
  EXPECT_EQ(s.page(96, samplePage(false).data, t30::kEop), t30::kMcf);
  s.disconnect();
  ASSERT_TRUE(runUntilFinished(line, remote));
  EXPECT_EQ(remote.outcome().completion, 0) << remote.completionText();
  EXPECT_EQ(remote.outcome().pages, 1);
  EXPECT_EQ(remote.outcome().badRows, 0);
  EXPECT_EQ(remote.outcome().remoteId, "SENDER");
  EXPECT_EQ(remote.outcome().bitRate, 9600);
}

TEST(SpanDsp, EmulatorT30AndSpanDspExchangeFaxesBothWays) {
  quillon::test::TempDir dir;
  PhoneLine line;
  // Our sender to SpanDSP's receiver, at V.17 14400, two pages.
  SpanDspFaxMachine spanRx(line, SpanDspFaxMachine::Role::Receiver, "555", "SPANDSP RX", dir.file("rx.tif"));
  RemoteSender ours(line, "QUILLON TX", {samplePage(false), samplePage(false)});
  ours.call("555");
  ASSERT_TRUE(runUntilFinished(line, spanRx));
  EXPECT_EQ(spanRx.outcome().completion, 0) << spanRx.completionText();
  EXPECT_EQ(spanRx.outcome().pages, 2);
  EXPECT_EQ(spanRx.outcome().badRows, 0);
  EXPECT_EQ(spanRx.outcome().bitRate, 14400);
  EXPECT_EQ(spanRx.outcome().remoteId, "QUILLON TX");
  EXPECT_EQ(ours.lastHangupCode(), kHangupNormal);
  EXPECT_EQ(ours.pagesConfirmed(), 2);

  // SpanDSP sends that file back to our receiver.
  RemoteReceiver ourRx(line, "777", "QUILLON RX");
  SpanDspFaxMachine spanTx(line, SpanDspFaxMachine::Role::Sender, "", "SPANDSP TX", dir.file("rx.tif"));
  spanTx.call("777");
  ASSERT_TRUE(runUntilFinished(line, spanTx));
  EXPECT_EQ(spanTx.outcome().completion, 0) << spanTx.completionText();
  EXPECT_EQ(spanTx.outcome().pages, 2);
  const ReceivedFax& fax = ourRx.lastFax();
  EXPECT_TRUE(fax.complete);
  ASSERT_EQ(fax.pages.size(), 2u);
  EXPECT_EQ(fax.remoteId, "SPANDSP TX");
  // What arrived is a page our own fax file reader and decoder take.
  ASSERT_EQ(saveFaxFile(dir.file("back.apf"), fax), 0);
  std::vector<FaxPage> pages;
  ASSERT_EQ(loadFaxFile(dir.file("back.apf"), pages), 0);
  EXPECT_GT(pages[0].data.size(), 1000u);
}

TEST(SpanDsp, Class1EngineScriptSendsThroughSpanDspT31OverAudio) {
  // The same script that drives the emulated modem, now against SpanDSP's own Class 1 modem
  // and fax terminal talking over simulated audio.
  quillon::test::TempDir dir;
  PhoneLine line;
  SpanDspAudioModem modem(line.scheduler(), SpanDspAudioModem::Remote::Receiver, "SPANDSP RX", dir.file("rx.tif"));
  DteScript dte(line, [&modem](const std::string& b) { modem.fromDte(b); }, [&modem] { return modem.toDte(); });
  ASSERT_EQ(dte.at("ATE0"), "OK");
  ASSERT_EQ(dte.at("AT+FCLASS=1"), "OK");
  EXPECT_EQ(dte.at("AT+FTM=?"), "OK");
  EXPECT_NE(dte.info().find("96"), std::string::npos);
  ASSERT_EQ(dte.at("ATDT555"), "CONNECT");
  Class1Sender s{dte};
  ASSERT_TRUE(s.readPhaseB());
  EXPECT_EQ(s.remoteId, "SPANDSP RX");
  ASSERT_EQ(s.train(96, 9600), t30::kCfr);
  EXPECT_EQ(s.page(96, samplePage(false).data, t30::kEop), t30::kMcf);
  s.disconnect();
  for (int i = 0; i < 100 && !modem.finished(); ++i) line.run(ms(100));
  EXPECT_TRUE(modem.finished());
  EXPECT_EQ(modem.outcome().completion, 0);
  EXPECT_EQ(modem.outcome().pages, 1);
  EXPECT_EQ(modem.outcome().badRows, 0);
  EXPECT_EQ(modem.outcome().remoteId, "SENDER");
}
