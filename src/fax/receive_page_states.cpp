// The receiving machine's file and page handling: taking the fax (the application's
// accept and name), creating the file, page start (25), page data with the DLE rules (26),
// page end, and cutting a page that must not stay.
#include "errors/error_codes.h"
#include "fax/modem_commands.h"
#include "fax/receive_steps.h"
#include "serial/dispatcher.h"

namespace quillon::fax::receive {

namespace {
constexpr std::uint8_t kDc2 = 18, kDle = 16, kEtx = 3;
constexpr std::size_t kMostPerEvent = 10000;
}  // namespace

int CreateFaxFile(FaxSession& s, ReceivePart& r) {
  s.faxFile = r.name ? r.name() : std::string();
  int rc = r.file.create(s.faxFile, s.remoteId);
  if (rc < 0) return rc;
  s.notifier->NotifyLog(LogReceiveStart);
  return 0;
}

bool AcceptFax(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  bool accepted = r.accept ? r.accept() : true;
  if (!accepted) {
    if (Class2(s)) s.dispatcher->PutString("AT+FKS\r");
    Fail(s, ecFileRejected);
    Status(s);
    s.notifier->NotifyLog(LogReceiveSkip);
    return false;
  }
  if (r.fileState == fsNoFile) {
    int rc = CreateFaxFile(s, r);
    if (rc < 0) {
      Fail(s, rc);
      return false;
    }
  }
  r.fileState = fsFileOpen;
  s.currentPage = 0;
  return true;
}

void CloseFaxFile(FaxSession&, ReceivePart& r) { r.file.close(); }

void DropPage(FaxSession& s, ReceivePart& r) {
  if (r.file.pageOpen() && s.currentPage > 0) --s.currentPage;
  r.file.dropPage();
  r.pageGood = false;
}

void EndPage(Step& st) {
  FaxSession& s = st.s;
  int rc = st.r.file.endPage(s.remoteId);
  if (rc < 0) {
    Fail(s, rc);
    return;
  }
  st.r.pageGood = true;
}

void State25(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  if (r.fileState == fsNoFile || !r.file.isOpen()) {
    // A new document (or no calling ID asked for the file): the finished one is complete.
    if (r.file.isOpen()) {
      CloseFaxFile(s, r);
      s.notifier->NotifyLog(LogReceiveOk);
    }
    int rc = CreateFaxFile(s, r);
    if (rc < 0) {
      Fail(s, rc);
      return;
    }
    s.currentPage = 0;
    r.fileState = fsFileOpen;
  }
  ++s.currentPage;
  int rc = r.file.beginPage(s.fine, s.wide);
  if (rc < 0) {
    Fail(s, rc);
    return;
  }
  r.pageGood = false;
  s.bytesDone = 0;
  r.data.reset(s.faxClass == fcClass2);
  ArmTimeout(s, s.responseTimeout);
  if (Class2(s)) s.dispatcher->PutChar(kDc2);
  s.progress = fpGetPage;
  s.statusWanted = true;
  s.state = 26;
}

void State26(Step& st) {
  FaxSession& s = st.s;
  ReceivePart& r = st.r;
  std::uint8_t in[512];
  std::size_t taken = 0, n = 0;
  bool ended = false;
  std::uint8_t c;
  bool dle = r.data.dlePending();
  while (taken < kMostPerEvent && !ended) {
    n = 0;
    // Bytes one at a time up to DLE ETX, so the modem's answers after it stay unread.
    bool etx = false;
    while (!etx && n < sizeof in && taken + n < kMostPerEvent && ReadByte(s, c)) {
      in[n++] = c;
      etx = dle && c == kEtx;
      dle = !dle && c == kDle;
    }
    if (n == 0) break;
    taken += n;
    r.chunk.clear();
    r.data.feed(in, n, r.chunk, ended);
    if (!r.chunk.empty()) {
      int rc = r.file.write(reinterpret_cast<const std::uint8_t*>(r.chunk.data()), r.chunk.size());
      if (rc < 0) {
        Fail(s, rc);
        return;
      }
      s.bytesDone += r.chunk.size();
    }
  }
  ArmTimeout(s, s.responseTimeout);
  if (!ended) return;
  s.progress = fpGetPage;
  s.statusWanted = true;
  if (s.softwareFlow) s.dispatcher->SetSoftwareFlowControl(0, 0, 0);
  s.state = s.faxClass == fcClass1 ? 27 : 33;
}

}  // namespace quillon::fax::receive
