#include "faximage/text_input.h"

#include <cstring>

#include "errors/error_codes.h"

namespace quillon::faximage {

bool TextInput::prepare(std::string text, LineResult& result) {
  size_t ff = text.find('\f');
  if (ff != std::string::npos) {
    carried_ = true;
    carriedText_ = text.substr(ff + 1, 255);
    text.resize(ff);
  }
  std::string expanded;
  for (char c : text) {
    if (c == '\t') {
      expanded.append(tabStop_ - expanded.size() % tabStop_, ' ');
    } else {
      expanded += c;
    }
  }
  if (size_t max = renderer_->maxChars(); max && expanded.size() > max) expanded.resize(max);
  ++count_;
  if (linesPerPage_ && count_ > linesPerPage_) {
    // The page is full: this line opens the next one, which therefore always follows.
    count_ = 1;
    pending_ = true;
    pendingText_ = std::move(expanded);
    result.endOfPage = true;
    result.morePages = true;
    firstRead_ = true;
    return false;
  }
  text_ = std::move(expanded);
  return true;
}

size_t TextInput::startLine(std::string text, uint8_t* line) {
  text_ = std::move(text);
  row_ = 0;
  active_ = true;
  firstRead_ = false;
  size_t bytes = renderer_->renderRow(text_, row_++, line);
  if (row_ >= renderer_->rows()) active_ = false;
  return bytes;
}

int TextInput::readLine(uint8_t* line, LineResult& result) {
  result = {};
  if (active_) {
    result.bytes = renderer_->renderRow(text_, row_++, line);
    if (row_ >= renderer_->rows()) active_ = false;
    return ecOK;
  }
  if (pending_) {
    pending_ = false;
    result.bytes = startLine(std::move(pendingText_), line);
    return ecOK;
  }
  if (carried_) {
    // A form feed ends the page before anything else happens.
    if (!breakDone_) {
      breakDone_ = true;
      result.endOfPage = true;
      // A form feed that ends the text opens no further page.
      result.morePages = !carriedText_.empty() || !reader_.exhausted();
      count_ = 0;
      firstRead_ = true;
      return ecOK;
    }
    carried_ = false;
    breakDone_ = false;
    // Text after the form feed opens the new page; a form feed at the end of a line leaves
    // none, and the page begins with the next input line.
    if (!carriedText_.empty()) {
      if (!prepare(std::move(carriedText_), result)) return ecOK;
      result.bytes = startLine(std::move(text_), line);
      return ecOK;
    }
  }
  if (reader_.exhausted()) {
    if (firstRead_) {  // an empty page still gets one blank line
      firstRead_ = false;
      return ecOK;
    }
    result.endOfPage = true;
    return ecOK;
  }
  std::string text;
  bool end = false;
  if (int status = reader_.nextLine(text, end); status != ecOK) return status;
  if (!prepare(std::move(text), result)) return ecOK;
  result.bytes = startLine(std::move(text_), line);
  return ecOK;
}

}  // namespace quillon::faximage
