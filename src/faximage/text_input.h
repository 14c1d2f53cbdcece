#pragma once
// Converter input from a text file: lines set in the built-in fax font (idText) or drawn by a
// font rasteriser (idTextEx), with tabs, form feeds and a limit of text lines per page.
#include <memory>
#include <string>

#include "faximage/fax_input.h"
#include "faximage/text_line_reader.h"

namespace quillon::faximage {

// Renders one text line, row by row, into a raster line.
class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  virtual int rows() const = 0;
  // Characters kept per line (0 = no limit).
  virtual size_t maxChars() const = 0;
  // Writes row `row` (0-based) of `text` into the zeroed `line`; returns the bytes filled.
  virtual size_t renderRow(const std::string& text, int row, uint8_t* line) = 0;
};

class TextInput : public FaxInput {
 public:
  TextInput(std::unique_ptr<TextRenderer> renderer, unsigned tabStop, unsigned linesPerPage)
      : renderer_(std::move(renderer)), tabStop_(tabStop ? tabStop : 4), linesPerPage_(linesPerPage) {}

  int open(const std::string& path) override { return reader_.open(path); }
  int readLine(uint8_t* line, LineResult& result) override;
  uint64_t bytesRead() const override { return reader_.bytesRead(); }
  uint64_t bytesToRead() const override { return reader_.size(); }

 private:
  // Cuts at a form feed, expands tabs, cuts to the line length, counts the line; false when
  // the page is full (the line then waits for the next page).
  bool prepare(std::string text, LineResult& result);
  size_t startLine(std::string text, uint8_t* line);

  std::unique_ptr<TextRenderer> renderer_;
  TLineReader reader_;
  unsigned tabStop_;
  unsigned linesPerPage_;
  std::string text_;         // the line being rendered
  int row_ = 0;
  bool active_ = false;
  bool pending_ = false;     // a line waiting for the next page
  std::string pendingText_;
  bool carried_ = false;     // a form feed was met: the page ends before going on
  bool breakDone_ = false;
  std::string carriedText_;  // text after the form feed
  unsigned count_ = 0;       // text lines on this page
  bool firstRead_ = true;
};

// Text in the built-in fax font.
std::unique_ptr<TextRenderer> makeBuiltinTextRenderer(int fontType, bool fine, int pageWidth, int leftMargin);
// Text drawn with a font rasteriser; -8055 in `status` when the drawing bitmap would pass
// 65536 bytes.
std::unique_ptr<TextRenderer> makeFontTextRenderer(const struct FontChoice& font, bool fine, int pageWidth,
                                                   int leftMargin, int& status);

}  // namespace quillon::faximage
