// The dispatcher's parts on their own: matcher, rings, trigger handles, trace and log dumps.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/file_io.h"
#include "serial/byte_ring.h"
#include "serial/data_matcher.h"
#include "serial/dispatch_log.h"
#include "serial/trace_buffer.h"
#include "serial/trigger_tables.h"

using namespace quillon;
using namespace quillon::serial;

namespace {

std::vector<std::size_t> matchesIn(DataMatcher m, std::string_view stream) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < stream.size(); ++i)
    if (m.feed(static_cast<std::uint8_t>(stream[i]))) at.push_back(i + 1);
  return at;
}

std::string testData(const std::string& name) {
  auto bytes = platform::readWholeFile(std::string(std::getenv("QUILLON_TEST_DATA")) + "/serial/" + name);
  return bytes ? *bytes : std::string("(missing ") + name + ")";
}

}  // namespace

TEST(DataMatcher, ReportsEveryOccurrenceOnceAcrossRepeatedPrefixes) {
  EXPECT_EQ(matchesIn(DataMatcher("OK", false), "OOK"), (std::vector<std::size_t>{3}));
  EXPECT_EQ(matchesIn(DataMatcher("ABAC", false), "ABABAC ABAC"), (std::vector<std::size_t>{6, 11}));
  EXPECT_EQ(matchesIn(DataMatcher("AA", false), "AAAA"), (std::vector<std::size_t>{2, 4}));
  EXPECT_EQ(matchesIn(DataMatcher("x", false), "xax"), (std::vector<std::size_t>{1, 3}));
  EXPECT_EQ(matchesIn(DataMatcher("connect", true), "CoNnEcT"), (std::vector<std::size_t>{7}));
  EXPECT_TRUE(matchesIn(DataMatcher("connect", false), "CONNECT").empty());
  EXPECT_TRUE(matchesIn(DataMatcher(), "anything").empty());
  EXPECT_EQ(DataMatcher(std::string(30, 'x'), false).length(), DataMatcher::kMaxLength);
}

TEST(ByteRing, WrapsAndKeepsPositions) {
  ByteRing ring(4);
  const std::uint8_t abc[] = {'a', 'b', 'c'};
  ring.put(abc, 3);
  ring.consume(2);
  ring.put(abc, 3);  // wraps
  EXPECT_TRUE(ring.full());
  EXPECT_EQ(ring.at(0), 'c');
  EXPECT_EQ(ring.at(3), 'c');
  EXPECT_EQ(ring.atPosition(5), 'c');
  std::size_t len;
  ring.readSpan(len);
  EXPECT_EQ(len, 2u);  // up to the end of the buffer
  ring.clear();
  EXPECT_TRUE(ring.empty());
  EXPECT_EQ(ring.readPosition(), 6u);
}

TEST(TriggerTables, HandlesCountUpThenReuseTheSmallestFree) {
  TriggerTables t;
  EXPECT_EQ(t.allocateHandle(), 8);
  EXPECT_EQ(t.allocateHandle(), 16);
  t.handleCounter = 4096;
  t.timers.push_back({8, {}, 0, false});
  t.status.push_back({16 + stOutSent, stOutSent, 0, 0, false, false});
  EXPECT_EQ(t.allocateHandle(), 24);
  EXPECT_TRUE(t.remove(16 + stOutSent));
  EXPECT_EQ(t.allocateHandle(), 16);
  EXPECT_FALSE(t.remove(999));
}

TEST(TraceBuffer, DumpsRunsOldestFirstAndWrapsLongLines) {
  TraceBuffer trace;
  trace.allocate(6);
  const std::uint8_t at[] = {'A', 'T', '\r'};
  const std::uint8_t ok[] = {'O', 'K', ' ', 0x0A};
  trace.add('T', at, 3);
  trace.add('R', ok, 4);  // the ring holds 6: the oldest entry goes
  EXPECT_EQ(trace.dumpText(true), "Transmit: T[0D]\r\n\r\nReceive: OK[20][0A]\r\n");
  EXPECT_EQ(trace.dumpText(false), "Transmit: T[13]\r\n\r\nReceive: OK [10]\r\n");
  trace.release();
  trace.allocate(200);
  std::vector<std::uint8_t> many(100, 'x');
  trace.add('X', many.data(), many.size());
  std::string text = trace.dumpText(true);
  EXPECT_EQ(text.substr(0, 12), "Special-X: x");
  auto firstEnd = text.find("\r\n");
  EXPECT_EQ(firstEnd, 77u);  // lines stay under 78 columns
  EXPECT_EQ(text.substr(firstEnd + 2), std::string(100 - (77 - 11), 'x') + "\r\n");
}

TEST(DispatchLog, DumpMatchesTheExpectedFile) {
  DispatchLog log;
  log.allocate(10000, 4096);
  const std::uint8_t atz[] = {'A', 'T', 'Z', '\r'};
  log.add(ltDispatch, lsWriteCom, 12, 4, atz, 4);
  log.add(ltTrigger, lsStatus, 1234, 0x19);
  std::string payload;
  for (int i = 0; i < 52; ++i) payload += static_cast<char>('A' + i % 26);
  payload += "\r\n";
  log.add(ltDispatch, lsReadCom, 98765432, static_cast<std::uint32_t>(payload.size()),
          reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size());
  log.add(ltTriggerAlloc, lsTimerTrigger, 99, 8);
  EXPECT_EQ(log.dumpText(true, {"TestCC 1.0", "Linux 6.1.0"}), testData("log_dump.txt"));
}

TEST(DispatchLog, DropsTheOldestEntriesWhenFull) {
  DispatchLog log;
  log.allocate(3 * kLogEntryHeaderSize + 4, 2);
  const std::uint8_t data[] = {1, 2, 3, 4};
  for (std::uint32_t i = 0; i < 5; ++i) log.add(ltDispatch, lsReadCom, i, i, data, 4);  // cut to 2 bytes
  ASSERT_EQ(log.entries().size(), 2u);
  EXPECT_EQ(log.entries().front().value, 3u);
  EXPECT_EQ(log.entries().back().data.size(), 2u);
  EXPECT_NE(currentLogDumpHeading().operatingSystem.find("Linux"), std::string::npos);
}
