// Any bytes as a fax file in the viewer engine (pages, rotation, scale, marking, copy) and
// through the PDF export.
#include <cstddef>
#include <cstdint>

#include "faximage/fax_viewer_engine.h"
#include "faximage/pdf_fax/pdf_fax.h"
#include "faximage_fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::faximage;
  static const quillon::fuzz::FuzzFile file("APF");
  const std::string& name = file.write(data, size);
  TViewer v;
  v.setAutoScale(size % 3 == 0 ? 0 : size % 3 == 1 ? 2 : 4);
  if (size % 2) v.setWhitespace(4, 1);
  v.setLoadWholeFax(size % 5 == 0);
  v.setClientSize(300, 200);
  if (v.setFile(name) == 0) {
    for (unsigned p = 1; p <= v.pageCount() && p <= 4 && v.hasPage(); ++p) {
      v.goToPage(p);
      v.setRotation(int(p % 4));
      v.setScale(1, 3, 2, 1);
      v.keyDown(ViewerKey::End, false);
      v.keyDown(ViewerKey::PageDown, true);
      v.mouseDown(10, 10);
      v.mouseMove(400, -30);
      v.mouseUp();
      MonoBitmap out;
      v.selectAll();
      v.copyMark(out);
    }
  }
  ExportFaxToPdf(name, file.output() + ".pdf");
  return 0;
}
