#include "richtext/rtf_pages_command.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>

#include "richtext/field_object.h"
#include "richtext/page_layout.h"
#include "richtext/page_painter.h"
#include "richtext/rtf_reader.h"

namespace quillon::richtext {
namespace {

constexpr const char* kUsage = "usage: quillon rtf FILE.rtf --pages OUTDIR [--zoom N]\n";

// The command runs without a display: fonts and painting need only the offscreen platform.
std::unique_ptr<QGuiApplication> guiForCommand() {
  if (QCoreApplication::instance()) return nullptr;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "quillon";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace

int runRtfPagesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string input, folder;
  int zoom = 100;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--pages" && i + 1 < args.size()) {
      folder = args[++i];
    } else if (args[i] == "--zoom" && i + 1 < args.size()) {
      char* end = nullptr;
      const long value = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != 0 || value < 10 || value > 800) {
        err << "quillon rtf: --zoom takes a percentage from 10 to 800\n";
        return 2;
      }
      zoom = static_cast<int>(value);
    } else if (input.empty() && args[i].rfind("--", 0) != 0) {
      input = args[i];
    } else {
      err << kUsage;
      return 2;
    }
  }
  if (input.empty() || folder.empty()) {
    err << kUsage;
    return 2;
  }
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    err << "quillon rtf: cannot read " << input << "\n";
    return 1;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder)) {
    err << "quillon rtf: cannot create the folder " << folder << "\n";
    return 1;
  }

  const auto app = guiForCommand();
  QTextDocument document;
  document.setUseDesignMetrics(true);
  const RtfReadResult read = readRtf(bytes, document);
  if (!read.message.isEmpty()) err << "quillon rtf: " << read.message.toStdString() << "\n";
  applyPageLayout(document, read.hasPageLayout ? read.pageLayout : PageLayout{}, true);

  const int pages = pageCount(document);
  const double scale = zoom / 100.0;
  const QSize size(static_cast<int>(document.pageSize().width() * scale + 0.5),
                   static_cast<int>(document.pageSize().height() * scale + 0.5));
  PagePaintOptions options;
  options.scale = scale;
  options.wholePage = true;
  for (int page = 0; page < pages; ++page) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintPageNumber(document, painter, QRectF(QPointF(0, 0), QSizeF(size)), page, options);
    painter.end();
    char name[32];
    std::snprintf(name, sizeof name, "page-%03d.png", page + 1);
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (!image.save(QString::fromStdString(path), "PNG")) {
      err << "quillon rtf: cannot write " << path << "\n";
      return 1;
    }
  }
  out << pages << (pages == 1 ? " page" : " pages") << " written to " << folder << "\n";
  return read.isRtf ? 0 : 1;
}

}  // namespace quillon::richtext
