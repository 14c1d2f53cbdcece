#include <QTextDocument>
#include <gtest/gtest.h>
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
using namespace quillon::richtext;
TEST(Rtf, Smoke) {
  QTextDocument doc;
  auto r = readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Hello \\b bold\\b0\\par World}", doc);
  EXPECT_TRUE(r.ok());
  std::string a = writeRtf(doc, {});
  QTextDocument doc2; readRtf(a, doc2);
  std::string b = writeRtf(doc2, {});
  EXPECT_EQ(a, b);
  printf("%s\n", a.c_str());
}
