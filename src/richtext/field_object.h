#pragma once
// Field objects (insertion points): a numbered field with a shown text, held in the document
// as one object character, so the caret can only stand before or after it and one delete
// removes it whole. It draws its shown text in the insertion-point colour (red) with the
// character format it carries, and lays out as wide as that text.
#include <QColor>
#include <QObject>
#include <QString>
#include <QTextCharFormat>
#include <QTextObjectInterface>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QTextCursor;
class QTextDocument;

namespace quillon::richtext {

inline constexpr int kFieldObjectType = QTextFormat::UserObject + 1;
inline constexpr int kFieldNumberProperty = QTextFormat::UserProperty + 1;
inline constexpr int kFieldTextProperty = QTextFormat::UserProperty + 2;

// InsertPointAttr: the colour fields are shown in.
QColor insertPointColour();

bool isField(const QTextFormat& format);
int fieldNumber(const QTextFormat& format);
QString fieldText(const QTextFormat& format);
// `base` with the field's object type, number and text.
QTextCharFormat fieldFormat(const QTextCharFormat& base, int number, const QString& text);

// Inserts a field at the cursor (replacing its selection) in the cursor's character format.
void insertField(QTextCursor& cursor, int number, const QString& text);

// Gives the text for a field number, or nothing to leave that field as it is.
using FieldTextSource = std::function<std::optional<QString>(int number)>;
// Turns every field for which `source` gives a text into ordinary text in the field's own
// character format. Returns the number of fields replaced.
int replaceFields(QTextDocument& document, const FieldTextSource& source);
// The fields of a document in order: (position, number).
std::vector<std::pair<int, int>> fieldsOf(const QTextDocument& document);

// Draws and measures field objects; installed once per document.
class FieldObjectHandler : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  using QObject::QObject;
  QSizeF intrinsicSize(QTextDocument* document, int positionInDocument, const QTextFormat& format) override;
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int positionInDocument,
                  const QTextFormat& format) override;
};

// Registers the field handler with the document's layout (does nothing when it already is).
void installFieldHandler(QTextDocument& document);

}  // namespace quillon::richtext
