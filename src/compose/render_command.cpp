#include "compose/render_command.h"

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>

#include "compose/fax_rendering.h"
#include "platform/file_io.h"
#include "richtext/rich_text_control.h"
#include "store/fax_store.h"

namespace quillon::compose {
namespace {

namespace fs = std::filesystem;
constexpr const char* kUsage =
    "usage: quillon render OUT.APF [--record N | --cover FILE.rtf --document FILE.rtf] [--data-dir DIR]\n";

// The editors are widgets: a widget application on the offscreen platform unless the user
// chose a platform.
std::unique_ptr<QApplication> applicationForCommand() {
  if (QCoreApplication::instance()) return nullptr;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "quillon";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QApplication>(argc, argv);
}

struct Request {
  std::string output, coverFile, documentFile;
  long record = 0;  // 0: the first listed
};

bool parse(const std::vector<std::string>& args, Request& request, std::ostream& err) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--record" && hasValue) {
      char* end = nullptr;
      request.record = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != 0 || request.record < 1) {
        err << "quillon render: --record takes a record number from 1\n";
        return false;
      }
    } else if (a == "--cover" && hasValue) {
      request.coverFile = args[++i];
    } else if (a == "--document" && hasValue) {
      request.documentFile = args[++i];
    } else if (request.output.empty() && a.rfind("--", 0) != 0) {
      request.output = a;
    } else {
      err << kUsage;
      return false;
    }
  }
  if (request.output.empty() || (request.record && (!request.coverFile.empty() || !request.documentFile.empty()))) {
    err << kUsage;
    return false;
  }
  return true;
}

// Loads an RTF file into the editor; a missing file is an error, a damaged one is read as
// far as it goes, with a warning.
bool loadFile(richtext::TWPRichText& editor, const std::string& path, std::ostream& err) {
  if (path.empty()) return true;
  auto bytes = platform::readWholeFile(path);
  if (!bytes) {
    err << "quillon render: cannot read " << path << "\n";
    return false;
  }
  richtext::RtfReadResult read = editor.loadRtf(*bytes);
  if (!read.message.isEmpty()) err << "quillon render: " << path << ": " << read.message.toStdString() << "\n";
  return true;
}

// Loads the sent fax `record` (or the first listed) from the store's sent table.
bool loadRecord(richtext::TWPRichText& cover, richtext::TWPRichText& document, store::FaxStore& store,
                long record, std::ostream& err) {
  if (!store.openFaxDBF()) {
    err << "quillon render: cannot open the sent faxes: " << store.faxTable().lastError() << "\n";
    return false;
  }
  store::Table& faxes = store.faxTable();
  if (record > 0 ? (!faxes.go(record) || faxes.deleted()) : (!faxes.goTop() || faxes.eof())) {
    err << "quillon render: no such fax" << (record > 0 ? " (record " + std::to_string(record) + ")" : "") << "\n";
    return false;
  }
  for (auto [editor, field] : {std::pair{&cover, store::sentfield::RTFCOVER}, std::pair{&document, store::sentfield::RTFDOC}}) {
    auto rtf = store.loadRichText(faxes, field);
    if (!rtf) {
      err << "quillon render: cannot read the memo " << field << "\n";
      return false;
    }
    if (rtf->empty()) continue;  // an empty memo is an empty editor
    richtext::RtfReadResult read = editor->loadRtf(*rtf);
    if (!read.message.isEmpty()) err << "quillon render: " << field << ": " << read.message.toStdString() << "\n";
  }
  return true;
}

// Moves the rendered file to where the user wants it (copying across file systems).
bool moveTo(const std::string& from, const std::string& to, std::ostream& err) {
  std::error_code ec;
  fs::rename(from, to, ec);
  if (!ec) return true;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  std::error_code ignored;
  fs::remove(from, ignored);
  if (ec) err << "quillon render: cannot write " << to << ": " << ec.message() << "\n";
  return !ec;
}

}  // namespace

int runRenderCommand(const std::vector<std::string>& args, const std::string& dataFolder, std::ostream& out,
                     std::ostream& err) {
  Request request;
  if (!parse(args, request, err)) return 2;
  auto application = applicationForCommand();
  std::string folder = dataFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  richtext::TWPRichText cover, document;
  const bool fromFiles = !request.coverFile.empty() || !request.documentFile.empty();
  if (fromFiles) {
    if (!loadFile(cover, request.coverFile, err) || !loadFile(document, request.documentFile, err)) return 1;
  } else {
    store::FaxStore store(folder);
    if (!loadRecord(cover, document, store, request.record, err)) return 1;
  }
  int pages = 0;
  std::string file;
  try {
    file = renderFaxFile(cover, document, folder, pages);
  } catch (const std::exception& e) {
    err << "quillon render: " << e.what() << "\n";
    return 1;
  }
  if (file.empty()) {
    err << "quillon render: Fax has no contents or cover sheet\n";
    return 1;
  }
  if (!moveTo(file, request.output, err)) return 1;
  out << request.output << ": " << pages << (pages == 1 ? " page\n" : " pages\n");
  return 0;
}

}  // namespace quillon::compose
