#pragma once
// What the class check makes of a modem's fax classes: the three line texts and the class to
// recommend (class 1 before class 2 before class 2.0).
#include <QString>

namespace quillon::probes {

struct ClassSupport {
  bool class1 = false;
  bool class2 = false;
  bool class2_0 = false;
  bool any() const { return class1 || class2 || class2_0; }
};

// The recommendation: 0 (class 1), 1 (class 2), 2 (class 2.0) or -1 (none), and its name.
struct ClassRecommendation {
  int result = -1;
  QString name;
};

ClassRecommendation Recommend(const ClassSupport& support);

// The lines' captions before the test, and their texts when the answer is unknown.
inline constexpr int kClassLines = 3;
QString InitialClassLine(int line);  // "Class 1 :", "Class 2 :", "Class 2.0 :"
QString UnknownClassLine(int line);  // "Class 1   : unknown", ...
// "Class 2   : Supported" or "... : Not Supported", with " (recommended)" on the
// recommended class 1 or class 2 line (a class 2.0 recommendation is shown in bold instead).
QString ClassLine(int line, const ClassSupport& support, const ClassRecommendation& recommended);

// The status text after a successful query.
QString RecommendationText(const ClassRecommendation& recommended);

}  // namespace quillon::probes
