// The T.30 frame layer: frames as written to and read from a Class 1 modem, ID frames, the
// DIS and DCS fields with their rate bits, scan times and carrier codes, the speed choice.
#include <gtest/gtest.h>

#include "fax/dis_dcs.h"
#include "fax/modem_strings.h"
#include "fax/response_reader.h"
#include "fax/t30_frames.h"

using namespace quillon::fax;
using namespace quillon::fax::t30;

namespace {

std::string bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}

TEST(T30Frames, ThreeCharacterTsiGoesOutReversedBehindSeventeenBlanks) {
  std::string frame = BuildFrame(kTsi, false, IdInfo("ABC"));
  EXPECT_EQ(frame, bytes({0xFF, 0x03, 0x43}) + std::string(17, ' ') + "CBA" + bytes({0x10, 0x03}));
  EXPECT_EQ(IdInfo("123456789012345678901234"), "09876543210987654321");
  EXPECT_EQ(ReadId(IdInfo("ABC")), "ABC");
  EXPECT_EQ(ReadId(std::string(10, ' ')), "");
}

TEST(T30Frames, FinalFramesCarryControl13AndDlesAreDoubled) {
  EXPECT_EQ(BuildFrame(kDcn, true), bytes({0xFF, 0x13, 0xFB, 0x10, 0x03}));
  EXPECT_EQ(BuildFrame(kDcs, true, bytes({0x00, 0x10, 0x00})),
            bytes({0xFF, 0x13, 0x83, 0x00, 0x10, 0x10, 0x00, 0x10, 0x03}));
}

TEST(T30Frames, ParsingDropsNoiseUndoesDoublingAndKeepsCheckBytes) {
  auto f = ParseFrameBytes(bytes({0x00, 'x', 0xFF, 0x13, 0x80, 0x00, 0x10, 0x10, 0x2C, 0xAB, 0xCD, 0x10, 0x03}));
  ASSERT_TRUE(f);
  EXPECT_TRUE(f->final());
  EXPECT_EQ(f->type(), FrameType::dis);
  EXPECT_EQ(f->info, bytes({0x00, 0x10, 0x2C, 0xAB, 0xCD}));
  EXPECT_FALSE(ParseFrameBytes(bytes({0xFF, 0x13})));
  EXPECT_FALSE(ParseFrameBytes("OK\r\n"));
  auto notFinal = ParseFrameBytes(bytes({0xFF, 0x03, 0x40, 'A'}));
  ASSERT_TRUE(notFinal);
  EXPECT_FALSE(notFinal->final());
}

TEST(T30Frames, TypesIgnoreTheSendersBitAndNamesServeLogs) {
  EXPECT_EQ(TypeOf(0x83), FrameType::dcs);
  EXPECT_EQ(TypeOf(0x82), FrameType::dcs);
  EXPECT_EQ(TypeOf(0x4D), FrameType::rtn);
  EXPECT_EQ(TypeOf(0x8D), FrameType::mcf);
  EXPECT_EQ(TypeOf(0xFA), FrameType::dcn);
  EXPECT_EQ(TypeOf(0x1B), FrameType::crp);
  EXPECT_TRUE(IsIdFrame(0x43));
  EXPECT_FALSE(IsIdFrame(0x44));
  EXPECT_EQ(FcfName(0x85), "CFR");
  EXPECT_EQ(FcfName(0x41), "CIG");
  EXPECT_EQ(FcfName(0x2F), "EOP");
  EXPECT_EQ(FcfName(0x77), "FCF 0x77");
}

TEST(DisDcs, RemoteDisRateBitsGiveTheSpeedsT30Defines) {
  auto speeds = [](int rateBits) {
    DisCapabilities c = DecodeDis(bytes({0x00, 0x40 | rateBits, 0x70}));
    std::string out;
    for (int i = 1; i <= 6; ++i) out += c.speeds[i] ? '1' : '0';
    return out;
  };
  EXPECT_EQ(speeds(0x00), "110000");
  EXPECT_EQ(speeds(0x08), "110000");
  EXPECT_EQ(speeds(0x04), "110100");
  EXPECT_EQ(speeds(0x0C), "111100");
  EXPECT_EQ(speeds(0x2C), "111111");  // V.17
  EXPECT_EQ(speeds(0x1C), "111100");  // V.33 is not a Class 1 carrier
  EXPECT_EQ(speeds(0x3C), "111111");
}

TEST(DisDcs, DisResolutionWidthAndScanTime) {
  DisCapabilities c = DecodeDis(bytes({0x00, 0x42, 0xF9, 0x00}));
  EXPECT_TRUE(c.fine);
  EXPECT_TRUE(c.wide);
  EXPECT_EQ(c.scanIndex, 0);
  c = DecodeDis(bytes({0x00, 0x02, 0x30}));
  EXPECT_FALSE(c.fine);
  EXPECT_FALSE(c.wide);
  EXPECT_EQ(c.scanIndex, 4);
  c = DecodeDis(bytes({0x00}));  // short fields read as zeros
  EXPECT_TRUE(c.speeds[2]);
  EXPECT_EQ(c.scanIndex, 5);
}

TEST(DisDcs, DcsRateCodesAreT30s) {
  // 12000 and 14400 are V.17 (0x28, 0x20), never V.33's 0x10.
  const int expected[7] = {0, 0x00, 0x08, 0x0C, 0x04, 0x28, 0x20};
  for (int i = 1; i <= 6; ++i) {
    std::string dcs = EncodeDcs(i, false, false, 0);
    EXPECT_EQ(static_cast<std::uint8_t>(dcs[1]) & 0x3C, expected[i]) << "index " << i;
    DcsSettings d = DecodeDcs(dcs);
    EXPECT_EQ(d.bps, BpsOfSpeedIndex(i));
    EXPECT_EQ(CarrierCode(d, false), TrainingCode(i));
    EXPECT_EQ(CarrierCode(d, true), PageCode(i));
  }
  EXPECT_EQ(DecodeDcs(bytes({0x00, 0x12})).modulation, Modulation::v33);
  EXPECT_EQ(CarrierCode(DecodeDcs(bytes({0x00, 0x24})), false), "97");
  EXPECT_EQ(EncodeDcs(4, true, true, 0), bytes({0x00, 0x46, 0xF9, 0x00}));
  DcsSettings d = DecodeDcs(EncodeDcs(6, true, true, 0));
  EXPECT_TRUE(d.fine);
  EXPECT_TRUE(d.wide);
  EXPECT_EQ(d.scanTimeMs, 0);
}

TEST(DisDcs, OwnDisOffersV17WithV29AndV27) {
  EXPECT_EQ(EncodeDis(6, true), bytes({0x00, 0x6E, 0xF9, 0x00}));
  EXPECT_EQ(EncodeDis(4, false), bytes({0x00, 0x4E, 0xF8, 0x00}));
  EXPECT_EQ(EncodeDis(2, false)[1], 0x4A);
  DisCapabilities c = DecodeDis(EncodeDis(6, false));
  EXPECT_TRUE(c.speeds[6] && c.speeds[3] && c.fine);
}

TEST(DisDcs, ScanTimesAndTheDcsCodeForTheResolutionInUse) {
  const std::uint8_t disBits[8] = {0x70, 0x10, 0x60, 0x20, 0x30, 0x00, 0x50, 0x40};
  const std::uint8_t normal[8] = {0x70, 0x10, 0x20, 0x20, 0x00, 0x00, 0x40, 0x40};
  const std::uint8_t fine[8] = {0x70, 0x10, 0x10, 0x20, 0x20, 0x00, 0x00, 0x40};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(ScanIndexOfDisBits(disBits[i]), i);
    EXPECT_EQ(DcsScanCode(i, false), normal[i]) << i;
    EXPECT_EQ(DcsScanCode(i, true), fine[i]) << i;
  }
  // 20 ms at 9600 bit/s: 24 bytes a line.
  EXPECT_EQ(MinimumBytesPerLine(ScanIndexOfDisBits(0x00), false, 9600), 24);
  EXPECT_EQ(MinimumBytesPerLine(ScanIndexOfDisBits(0x30), true, 14400), 18);
}

TEST(DisDcs, TrainingCheckLengths) {
  EXPECT_EQ(TrainingCheckBytes(9600), 1728u);
  EXPECT_EQ(TrainingCheckBytes(14400), 2592u);
  EXPECT_EQ(TrainingCheckBytes(2400), 432u);
}

TEST(DisDcs, SpeedChoiceAndFallBackFromA0CDisAt9600) {
  SpeedSet modem;  // lists 72 and 96
  modem.has[1] = modem.has[2] = modem.has[3] = modem.has[4] = true;
  SpeedSet remote = DecodeDis(bytes({0x00, 0x4C, 0x70})).speeds;
  int first = ChooseSpeed(modem, remote, 9600);
  EXPECT_EQ(first, 4);
  EXPECT_STREQ(TrainingCode(first), "96");
  int second = ChooseSpeed(modem, remote, 9600, first);
  EXPECT_STREQ(TrainingCode(second), "72");
  int third = ChooseSpeed(modem, remote, 9600, second);
  EXPECT_STREQ(TrainingCode(third), "48");
  EXPECT_EQ(ChooseSpeed(modem, remote, 9600, 1), 0);
  SpeedSet all;
  for (bool& b : all.has) b = true;
  EXPECT_EQ(ChooseSpeed(all, all, 12000), 5);
  EXPECT_EQ(ChooseSpeed(all, all, 1200), 0);
}

TEST(ResponseReaderFrames, DoubledDleAndCrLfInsideAFrameDoNotEndIt) {
  ResponseReader r;
  std::string in = bytes({0xFF, 0x13, 0x80, 0x10, 0x10, 0x03, 0x0D, 0x0A, 0x10, 0x03});
  for (std::size_t i = 0; i + 1 < in.size(); ++i) ASSERT_EQ(r.feed(static_cast<std::uint8_t>(in[i])), ResponseReader::Item::none) << i;
  EXPECT_EQ(r.feed(0x03), ResponseReader::Item::frame);
  auto f = ParseFrameBytes(r.raw());
  ASSERT_TRUE(f);
  EXPECT_EQ(f->info, bytes({0x10, 0x03, 0x0D, 0x0A}));
  r.clear();
  for (char c : std::string("OK\r")) r.feed(static_cast<std::uint8_t>(c));
  EXPECT_EQ(r.feed('\n'), ResponseReader::Item::line);
  EXPECT_EQ(r.line(), "OK");
}

}  // namespace
