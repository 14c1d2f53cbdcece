// Any bytes as RTF: read them into a document, lay it out, write it, and check that what we
// wrote reads back to the same RTF (our own output must always round-trip).
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "richtext/page_layout.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "fuzz_rtf_reader";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);  // fonts for the layout
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::richtext;
  if (size > 64 * 1024) return 0;  // long inputs only slow the search down
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  QTextDocument document;
  const RtfReadResult result = readRtf(bytes, document);
  const PageLayout layout = result.hasPageLayout ? result.pageLayout : PageLayout{};
  applyPageLayout(document, layout, true);
  pageCount(document);
  const std::string written = writeRtf(document, layout);
  QTextDocument again;
  const RtfReadResult reread = readRtf(written, again);
  if (!reread.ok()) __builtin_trap();
  if (writeRtf(again, layout) != written) __builtin_trap();
  return 0;
}
