#include "fax/receive_fax.h"

#include "fax/fax_naming.h"
#include "fax/header_tags.h"

namespace quillon::fax {

void TApdCustomReceiveFax::SetDestinationDir(const std::string& v) {
  destinationDir_ = cut(FolderWithSeparator(v), kPassStringLength);
}

FaxLogFacts TApdCustomReceiveFax::LogFacts() const {
  FaxLogFacts f = TApdCustomAbstractFax::LogFacts();
  f.sending = false;
  f.receivedFile = faxFile_;
  return f;
}

void TApdCustomReceiveFax::FaxAccept(bool& accept) {
  if (OnFaxAccept)
    OnFaxAccept(*this, accept);
  else
    accept = true;
}

void TApdCustomReceiveFax::FaxName(std::string& name) {
  if (OnFaxName) {
    OnFaxName(*this, name);
  } else {
    std::tm now = LocalNow();
    name = DefaultFaxName(namingMode_, destinationDir_, FaxFileExt(), now.tm_mon + 1, now.tm_mday);
  }
  faxFile_ = cut(name, kPassStringLength);
}

}  // namespace quillon::fax
