#pragma once
// Fax files that look like real letters, drawn with Qt and converted by the fax converter.
#include <QFont>
#include <QImage>
#include <QPainter>

#include <cstring>

#include <string>
#include <vector>

#include "faximage/sample_fax.h"

namespace quillon::test {

// A 1728-pixel page (fine: 2200 lines, standard: 1100) with a letterhead, a frame and text.
inline faximage::MonoBitmap letterPage(int page, int pages, bool fine) {
  int height = fine ? 2200 : 1100;
  QImage image(1728, height, QImage::Format_Mono);
  image.fill(1);
  image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  {
    QPainter p(&image);
    p.scale(1.0, fine ? 1.0 : 0.5);
    p.setPen(QPen(Qt::black, 6));
    p.drawRect(40, 40, 1648, 2120);
    p.fillRect(80, 80, 120, 120, Qt::black);
    QFont head(QStringLiteral("DejaVu Sans"));
    head.setPixelSize(64);
    head.setBold(true);
    p.setFont(head);
    p.drawText(230, 160, QStringLiteral("Harbour Freight Ltd"));
    QFont body(QStringLiteral("DejaVu Serif"));
    body.setPixelSize(30);
    p.setFont(body);
    p.drawText(230, 200, QStringLiteral("12 Quay Street, Portsmouth  -  Tel +44 23 9200 0000"));
    p.drawLine(80, 240, 1648, 240);
    p.drawText(120, 330, QStringLiteral("To: Northwind Traders, accounts department"));
    p.drawText(120, 380, QStringLiteral("Subject: Quotation 2291 - page %1 of %2").arg(page).arg(pages));
    const char* words[] = {"Thank you for your enquiry of last week.", "We are pleased to quote for the transport of",
                           "forty pallets from Portsmouth to Rotterdam,", "loading on the 14th and delivery within",
                           "three working days. Insurance is included.", "Please sign and return this page by fax."};
    for (int i = 0; i < 36; ++i) p.drawText(120, 480 + i * 44, QString::fromLatin1(words[i % 6]));
    p.drawText(120, 2100, QStringLiteral("Page %1").arg(page));
  }
  faximage::MonoBitmap b;
  b.width = image.width();
  b.height = image.height();
  b.stride = 216;
  b.bits.resize(b.stride * size_t(b.height));
  for (int y = 0; y < b.height; ++y) std::memcpy(b.row(y), image.constScanLine(y), b.stride);  // bit 1 = white
  return b;
}

inline int writeLetterFax(const std::string& path, int pages, bool fine) {
  std::vector<faximage::MonoBitmap> bitmaps;
  for (int i = 1; i <= pages; ++i) bitmaps.push_back(letterPage(i, pages, fine));
  return faximage::test::writeFaxPages(path, bitmaps, fine);
}

}  // namespace quillon::test
