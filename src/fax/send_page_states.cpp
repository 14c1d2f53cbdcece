// The page data states of the sending machine (21 to 28): the wait for the modem's go-ahead,
// the header line and top margin of each page, text covers, page data from the fax file with
// DLE doubling and line padding, and the page end.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fax/header_tags.h"
#include "fax/modem_commands.h"
#include "fax/send_steps.h"
#include "faximage/fax_input.h"
#include "faximage/mh_encoder.h"
#include "serial/dispatcher.h"
#include "errors/error_codes.h"

namespace quillon::fax::send {

namespace {

constexpr std::uint8_t kDle = 16, kEtx = 3, kXon = 17;

// Moves as much of the pending (already DLE-doubled) bytes into the output ring as fits.
void flushPending(FaxSession& s) {
  if (s.pending.empty()) return;
  int free = s.dispatcher->OutBuffFree();
  if (free <= 0) return;
  std::size_t n = std::min<std::size_t>(s.pending.size(), static_cast<std::size_t>(free));
  if (s.dispatcher->PutBlock(s.pending.data(), n) >= 0) s.pending.erase(0, n);
}

// Queues bytes with every DLE doubled; nothing is dropped when the ring is full.
void writeStuffed(FaxSession& s, const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    s.pending += static_cast<char>(data[i]);
    if (data[i] == kDle) s.pending += static_cast<char>(kDle);
  }
  if (s.pending.size() >= kTransmitBufferSize) flushPending(s);
}

void writePlain(FaxSession& s, const std::string& bytes) {
  s.pending += bytes;
  flushPending(s);
}

// A coded line padded with zeros to the minimum bytes per line.
void writeLine(FaxSession& s, const std::uint8_t* code, std::size_t length) {
  writeStuffed(s, code, length);
  if (static_cast<int>(length) < s.minBytesPerLine) s.pending.append(s.minBytesPerLine - length, '\0');
}

// Zero fill until the output ring holds `BufferMinimum` bytes (at most 8192 at a time).
void topUp(FaxSession& s) {
  flushPending(s);
  if (!s.pending.empty()) return;
  int used = s.dispatcher->OutBuffUsed();
  if (used < 0 || static_cast<unsigned>(used) >= s.bufferMinimum) return;
  std::size_t n = std::min<std::size_t>(s.bufferMinimum - used, kTransmitBufferSize);
  s.pending.append(n, '\0');
  flushPending(s);
}

HeaderTagValues tagValues(const FaxSession& s) {
  HeaderTagValues v;
  v.stationId = s.stationId;
  v.sender = s.headerSender;
  v.recipient = s.headerRecipient;
  v.title = s.headerTitle;
  v.totalPages = s.pageCount + s.coverCount;
  v.pageNumber = s.coverCount == 0 ? s.currentPage : s.coverActive ? 1 : s.currentPage + 1;
  v.now = LocalNow();
  return v;
}

// One text line rendered row by row, each row coded and sent padded.
void sendTextLine(FaxSession& s, faximage::FaxTextEngine& engine, const std::string& text) {
  std::vector<std::uint8_t> raster(faximage::kLineBufferSize);
  for (int row = 1; row <= engine.rows(); ++row) {
    engine.RenderTextRow(text, row, raster.data());
    engine.EncodeRasterLine(raster.data());
    writeLine(s, engine.code(), engine.codeLength());
  }
}

bool fine(const FaxSession& s) { return s.resolution == '1'; }

void armOutSpace(FaxSession& s) {
  s.dispatcher->SetStatusTrigger(s.outSpaceTrigger, kBlockSize, true);
  ArmTimeout(s, s.dataTimeout);
}

void armOutEmpty(FaxSession& s) {
  s.dispatcher->SetStatusTrigger(s.outEmptyTrigger, 0, true);
  ArmTimeout(s, s.dataTimeout);
}

// The status notifications while page data are queued.
void periodicStatus(FaxSession& s) {
  platform::Ticks every = platform::secondsToTicks(s.statusInterval * s.statusEvery);
  if (platform::ticksElapsed(s.statusClock, platform::currentTicks()) < every) return;
  Status(s);
  s.statusEvery = 2;
  s.statusClock = platform::startTimer(0);
  s.dispatcher->SetTimerTrigger(s.statusTimer, platform::secondsToTicks(s.statusInterval), true);
}

bool freeForBlock(FaxSession& s) { return s.dispatcher->OutBuffFree() >= static_cast<int>(kBlockSize); }

}  // namespace

void State21(Step& st) {
  FaxSession& s = st.s;
  bool go = st.event == Event::timeout;
  std::uint8_t c;
  while (!go && ReadByte(s, c)) go = c == kXon;
  if (!go) return;
  s.dispatcher->SetStatusTrigger(s.outSpaceTrigger, kBlockSize, true);
  ArmTimeout(s, s.dataTimeout);
  s.state = 22;
}

void State22(Step& st) {
  FaxSession& s = st.s;
  if (st.event == Event::timeout) {
    Fail(s, ecTimeout);
    return;
  }
  if (st.event != Event::outSpace && !freeForBlock(s)) return;
  s.progress = fpSendPage;
  s.statusWanted = true;
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(serial::sfTransmitFlow, 0, 0);
  s.state = 23;
}

void State23(Step& st) {
  FaxSession& s = st.s;
  faximage::FaxTextEngine& engine = s.headerEngine;
  int rc = s.enhTextEnabled ? engine.SetEnhancedFont(s.enhHeaderFont, fine(s)) : engine.LoadFaxFont(16, fine(s));
  if (rc < 0) {
    Fail(s, rc);
    return;
  }
  s.pageEnded = false;
  for (int i = 0; i < 8; ++i) {
    writeStuffed(s, faximage::kBlankLineRecord, sizeof faximage::kBlankLineRecord);
    if (s.minBytesPerLine >= 7) s.pending.append(s.minBytesPerLine - 5, '\0');
  }
  if (!s.headerLine.empty()) {
    std::string text = ReplaceHeaderTags(s.headerLine, tagValues(s));
    topUp(s);
    sendTextLine(s, engine, text);
  }
  topUp(s);
  s.statusClock = platform::startTimer(0);
  s.statusEvery = 3;
  s.state = s.coverActive ? 24 : 26;
}

void State24(Step& st) {
  FaxSession& s = st.s;
  s.bytesDone = 0;
  if (s.coverIsFaxFile) {
    s.coverFax = std::make_unique<faximage::FaxPageReader>();
    int rc = s.coverFax->open(s.coverFile);
    if (rc >= 0) rc = s.coverFax->findPage(1);
    if (rc < 0) {
      s.coverFax.reset();
      Fail(s, rc == -2 ? rc : ecFaxBadFormat);
      return;
    }
    s.state = 26;
    return;
  }
  s.coverText = std::make_unique<faximage::TLineReader>();
  int rc = s.coverText->open(s.coverFile);
  if (rc >= 0)
    rc = s.enhTextEnabled ? s.coverEngine.SetEnhancedFont(s.enhFont, fine(s)) : s.coverEngine.LoadFaxFont(48, fine(s));
  if (rc < 0) {
    Fail(s, rc);
    return;
  }
  s.progress = fpSendPage;
  armOutSpace(s);
  s.state = 25;
}

void State25(Step& st) {
  FaxSession& s = st.s;
  if (st.event == Event::timeout) {
    Fail(s, ecTimeout);
    return;
  }
  flushPending(s);
  while (s.pending.empty() && s.dispatcher->OutBuffFree() > static_cast<int>(kBlockSize)) {
    std::string line;
    bool end = false;
    int rc = s.coverText->nextLine(line, end);
    if (rc < 0) {
      Fail(s, rc);
      return;
    }
    if (end) {
      std::uint8_t eop[12];
      std::size_t n = faximage::FaxTextEngine::EncodeEndOfPage(eop);
      writeLine(s, eop, n);
      flushPending(s);
      s.pageEnded = true;
      armOutEmpty(s);
      s.state = 28;
      return;
    }
    sendTextLine(s, s.coverEngine, ReplaceHeaderTags(line, tagValues(s)));
    flushPending(s);
  }
  armOutSpace(s);
}

void State26(Step& st) {
  FaxSession& s = st.s;
  faximage::FaxPageReader& r = s.coverActive && s.coverFax ? *s.coverFax : *s.file;
  s.bytesDone = 0;
  s.bytesTotal = r.page().dataLength;
  s.statusWanted = true;
  armOutSpace(s);
  s.state = 27;
}

void State27(Step& st) {
  FaxSession& s = st.s;
  if (st.event == Event::timeout) {
    Fail(s, ecTimeout);
    return;
  }
  faximage::FaxPageReader& r = s.coverActive && s.coverFax ? *s.coverFax : *s.file;
  bool lineRecords = r.page().lengthWords();
  flushPending(s);
  for (unsigned blocks = 0; blocks < s.maxSendCount && s.pending.empty(); ++blocks) {
    int used = s.dispatcher->OutBuffUsed();
    if (used > static_cast<int>(s.bufferMinimum) || !freeForBlock(s)) break;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    int rc = r.nextChunk(data, size);
    if (rc < 0) {
      Fail(s, rc);
      return;
    }
    s.bytesDone = r.bytesRead();
    if (size == 0 || s.bytesDone >= s.bytesTotal) {
      if (size) lineRecords ? writeLine(s, data, size) : writeStuffed(s, data, size);
      s.pageEnded = true;
      break;
    }
    lineRecords ? writeLine(s, data, size) : writeStuffed(s, data, size);
    flushPending(s);
    periodicStatus(s);
  }
  flushPending(s);
  if (s.pageEnded && s.pending.empty()) {
    armOutEmpty(s);
    s.state = 28;
  } else {
    armOutSpace(s);
  }
}

// Moves to the next page (or from the cover to the fax file's first page).
static bool advancePage(FaxSession& s) {
  s.pageAdvanced = true;
  s.pageBefore = s.currentPage;
  s.coverBefore = s.coverActive;
  if (s.coverActive) {
    s.coverFax.reset();
    s.coverText.reset();
    s.coverActive = false;
  } else {
    ++s.currentPage;
    s.bytesDone = 0;
  }
  return ReadPageHeader(s, false);
}

bool RewindPage(FaxSession& s) {
  if (s.pageAdvanced) {
    s.pageAdvanced = false;
    s.currentPage = s.pageBefore;
    s.coverActive = s.coverBefore;
    std::swap(s.resolution, s.previousResolution);
  }
  // The last page was not advanced past, but its data were read to the end all the same:
  // without going back to its start it would go out again as a header line alone.
  s.bytesDone = 0;
  if (s.coverActive || !s.file) return true;
  int rc = s.file->findPage(static_cast<unsigned>(s.currentPage));
  if (rc < 0) Fail(s, rc);
  return rc >= 0;
}

void State28(Step& st) {
  FaxSession& s = st.s;
  if (st.event == Event::timeout) {
    Fail(s, ecTimeout);
    return;
  }
  if (st.event == Event::data) {
    // A Class 1 modem says nothing during the page unless the call fails: state 29 reads it.
    if (s.faxClass != fcClass1) DrainInput(s);
    return;
  }
  flushPending(s);
  if (!s.pending.empty() || s.dispatcher->OutBuffUsed() > 1) {
    armOutEmpty(s);
    return;
  }
  if (s.softwareFlow && s.dispatcher->DeviceOutUsed() > 0) {
    // XOFF still holds bytes in the device: turned off now, XON/XOFF would let them all
    // into a modem that has no room. Look again shortly; the data time-out still runs.
    s.dispatcher->SetTimerTrigger(s.drainTimer, 1, true);
    return;
  }
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(0, 0, 0);
  s.pageAdvanced = false;
  s.morePages = s.file && (s.coverActive || s.currentPage < s.pageCount);
  if (s.morePages && !advancePage(s)) return;
  if (s.faxClass == fcClass1) {
    writePlain(s, std::string{char(kDle), char(kEtx)});
    s.state = 29;
  } else if (!Class20(s)) {
    writePlain(s, std::string{char(kDle), char(kEtx)});
    s.state = 38;
  } else {
    char end = !s.morePages ? '.' : s.resolution == s.previousResolution ? ',' : ';';
    writePlain(s, std::string{char(kDle), end});
    s.state = 38;
  }
  s.progress = fpSendPage;
  s.statusWanted = true;
}

}  // namespace quillon::fax::send
