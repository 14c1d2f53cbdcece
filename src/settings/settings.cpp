#include "settings/settings.h"

namespace quillon::settings {

const std::vector<SettingKey>& settingKeys() {
  using S = Settings;
  static const std::vector<SettingKey> keys = {
      {"Modem", "ComPort", &S::comPort},
      {"Modem", "FaxClass", &S::faxClass},
      {"Modem", "MaximumBPS", &S::maximumBps},
      {"Modem", "InitString", &S::initString},
      {"Modem", "InitStringReceive", &S::initStringReceive, &S::initString},
      {"Modem", "FaxClassReceive", &S::faxClassReceive, &S::faxClass},
      {"Modem", "MaximumBPSReceive", &S::maximumBpsReceive, &S::maximumBps},
      {"Dialing", "DialPrefix", &S::dialPrefix},
      {"Dialing", "DialSuffix", &S::dialSuffix},
      {"Dialing", "DialAttempts", &S::dialAttempts},
      {"Dialing", "RetryWait", &S::retryWait},
      {"Dialing", "Timeout", &S::timeout},
      {"Dialing", "ToneOrPulse", &S::toneOrPulse},
      {"Dialing", "BlindDial", &S::blindDial},
      {"Dialing", "IgnoreBusy", &S::ignoreBusy},
      {"Dialing", "ECM", &S::ecm},
      {"User", "Name", &S::userName},
      {"User", "Fax", &S::userFax},
      {"User", "PrefixDisable", &S::prefixDisable},
      {"User", "SuffixDisable", &S::suffixDisable},
      {"Receive", "Wav", &S::wav},
      {"Receive", "AtStartup", &S::atStartup},
      {"Receive", "AnswerOnRing", &S::answerOnRing},
      {"Receive", "ECMReceive", &S::ecmReceive, &S::ecm},
      {"Receive", "PrintOnReceipt", &S::printOnReceipt},
      {"Receive", "PrintOnReceiptPrinter", &S::printOnReceiptPrinter},
      {"Resetting", "String", &S::resetString},
      {"Resetting", "AfterString", &S::resetAfterString},
      {"Default Font", "Name", &S::fontName},
      {"Default Font", "Size", &S::fontSize},
      {"Default Font", "Bold", &S::fontBold},
      {"Default Font", "Italic", &S::fontItalic},
      {"Default Font", "Underline", &S::fontUnderline},
      {"Hints", "On", &S::hintsOn},
  };
  return keys;
}

}  // namespace quillon::settings
