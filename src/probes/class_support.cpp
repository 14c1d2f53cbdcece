#include "probes/class_support.h"

namespace quillon::probes {

namespace {
// The line names with the colons aligned.
const char* const kPaddedNames[kClassLines] = {"Class 1   : ", "Class 2   : ", "Class 2.0 : "};
const char* const kNames[kClassLines] = {"Class 1", "Class 2", "Class 2.0"};

bool supported(int line, const ClassSupport& s) {
  return line == 0 ? s.class1 : line == 1 ? s.class2 : s.class2_0;
}
}  // namespace

ClassRecommendation Recommend(const ClassSupport& support) {
  for (int line = 0; line < kClassLines; ++line)
    if (supported(line, support)) return {line, QString::fromLatin1(kNames[line])};
  return {};
}

QString InitialClassLine(int line) { return QString::fromLatin1(kNames[line]) + QStringLiteral(" :"); }

QString UnknownClassLine(int line) { return QString::fromLatin1(kPaddedNames[line]) + QStringLiteral("unknown"); }

QString ClassLine(int line, const ClassSupport& support, const ClassRecommendation& recommended) {
  QString text = QString::fromLatin1(kPaddedNames[line]) +
                 (supported(line, support) ? QStringLiteral("Supported") : QStringLiteral("Not Supported"));
  if (recommended.result == line && line < 2) text += QStringLiteral(" (recommended)");
  return text;
}

QString RecommendationText(const ClassRecommendation& recommended) {
  return QStringLiteral("Try using the recommended Fax Class (") + recommended.name +
         QStringLiteral(") or auto detect. If you experience problems, try another supported class.\n\n"
                        "(note: US Robotics users should read the help section on troubleshooting)");
}

}  // namespace quillon::probes
