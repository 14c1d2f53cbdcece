#include "richtext/field_object.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace quillon::richtext {
namespace {

QFontMetricsF metricsFor(QTextDocument* document, const QFont& font) {
  QPaintDevice* device = document ? document->documentLayout()->paintDevice() : nullptr;
  return device ? QFontMetricsF(font, device) : QFontMetricsF(font);
}

// The field's text, never empty so that a field stays visible and clickable.
QString visibleText(const QTextFormat& format) {
  QString text = fieldText(format);
  return text.isEmpty() ? QStringLiteral(" ") : text;
}

}  // namespace

QColor insertPointColour() { return QColor(Qt::red); }

bool isField(const QTextFormat& format) {
  return format.objectType() == kFieldObjectType;
}

int fieldNumber(const QTextFormat& format) { return format.intProperty(kFieldNumberProperty); }
QString fieldText(const QTextFormat& format) { return format.stringProperty(kFieldTextProperty); }

QTextCharFormat fieldFormat(const QTextCharFormat& base, int number, const QString& text) {
  QTextCharFormat format = base;
  format.setObjectType(kFieldObjectType);
  format.setProperty(kFieldNumberProperty, number);
  format.setProperty(kFieldTextProperty, text);
  return format;
}

void insertField(QTextCursor& cursor, int number, const QString& text) {
  QTextCharFormat base = cursor.charFormat();
  if (isField(base)) {  // typing format taken from a neighbouring field: drop the field part
    base.setObjectType(QTextFormat::NoObject);
    base.clearProperty(kFieldNumberProperty);
    base.clearProperty(kFieldTextProperty);
  }
  cursor.insertText(QString(QChar::ObjectReplacementCharacter), fieldFormat(base, number, text));
}

std::vector<std::pair<int, int>> fieldsOf(const QTextDocument& document) {
  std::vector<std::pair<int, int>> fields;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!isField(fragment.charFormat())) continue;
      for (int i = 0; i < fragment.length(); ++i) fields.emplace_back(fragment.position() + i, fieldNumber(fragment.charFormat()));
    }
  return fields;
}

int replaceFields(QTextDocument& document, const FieldTextSource& source) {
  int replaced = 0;
  const auto fields = fieldsOf(document);
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  // From the end, so that earlier positions stay valid.
  for (auto it = fields.rbegin(); it != fields.rend(); ++it) {
    std::optional<QString> text = source ? source(it->second) : std::nullopt;
    if (!text) continue;
    cursor.setPosition(it->first);
    cursor.setPosition(it->first + 1, QTextCursor::KeepAnchor);
    QTextCharFormat plain = cursor.charFormat();
    plain.setObjectType(QTextFormat::NoObject);
    plain.clearProperty(kFieldNumberProperty);
    plain.clearProperty(kFieldTextProperty);
    cursor.insertText(*text, plain);
    ++replaced;
  }
  cursor.endEditBlock();
  return replaced;
}

QSizeF FieldObjectHandler::intrinsicSize(QTextDocument* document, int, const QTextFormat& format) {
  const QFontMetricsF metrics = metricsFor(document, format.toCharFormat().font());
  // Qt stands an inline object on the baseline: its height is the part above it, so the
  // shown text sits on the baseline like its neighbours and the line grows no taller.
  return QSizeF(metrics.horizontalAdvance(visibleText(format)), metrics.ascent());
}

void FieldObjectHandler::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int,
                                    const QTextFormat& format) {
  const QTextCharFormat charFormat = format.toCharFormat();
  const QFont font = charFormat.font();
  painter->save();
  painter->setFont(QFont(font, painter->device()));
  painter->setPen(insertPointColour());
  painter->drawText(QPointF(rect.left(), rect.bottom()), visibleText(format));
  painter->restore();
}

void installFieldHandler(QTextDocument& document) {
  QAbstractTextDocumentLayout* layout = document.documentLayout();
  if (layout->handlerForObject(kFieldObjectType)) return;
  layout->registerHandler(kFieldObjectType, new FieldObjectHandler(&document));
}

}  // namespace quillon::richtext
