// The fax class check through its real window on emulated modems with different class
// lists, the built-in emulator, a modem that talks nonsense and a missing port.
#include "probe_fixture.h"

#include <QMessageBox>

#include <optional>

#include "../app/modal_answer.h"
#include "probes/check_fax_class_form.h"
#include "probes/probe_entry.h"
#include "serial/com_port.h"

namespace quillon::test {
namespace {

using probes::TCheckFaxClassForm;

const QString kNote = "If you experience problems, try another supported class.\n\n"
                      "(note: US Robotics users should read the help section on troubleshooting)";

class CheckFaxClassTest : public ProbeTest {
 protected:
  // Runs the check on COM3 leading to `device`, answering the question with `button`; with
  // none, no question may come.
  int check(const std::string& device, int classIndex, std::optional<QMessageBox::StandardButton> button,
            const char* shotName) {
    mapping[3] = device;
    writePorts();
    shot = watchProbe<TCheckFaxClassForm>(shotName);
    // An unused answer would stay armed for a later test's box.
    std::optional<StrayMessageBoxGuard> guard;
    if (button)
      answer = answerNextMessageBox(*button);
    else
      guard.emplace();
    int chosen = probes::CheckFaxClass(nullptr, port, 3, classIndex);
    EXPECT_TRUE(shot->seen);
    EXPECT_EQ(shot->caption, "Check Fax Class");
    EXPECT_TRUE(shot->okVisible);
    EXPECT_FALSE(port.Open());
    EXPECT_LT(shot->longestStallMs, 500) << "the window stopped painting";
    return chosen;
  }

  serial::TApdComPort port;
  std::shared_ptr<ProbeShot> shot;
  std::shared_ptr<ModalAnswer> answer;
};

TEST_F(CheckFaxClassTest, Class2AndClass2_0RecommendClass2) {
  EmulatedModemDevice modem("0,2,2.0");
  EXPECT_EQ(check(modem.name(), 0, QMessageBox::Yes, "check-fax-class"), 2);
  EXPECT_EQ(shot->lines,
            QStringList({"Class 1   : Not Supported", "Class 2   : Supported (recommended)", "Class 2.0 : Supported"}));
  EXPECT_EQ(shot->bold, QList<bool>({false, false, false}));
  EXPECT_EQ(shot->message, "Try using the recommended Fax Class (Class 2) or auto detect. " + kNote);
  EXPECT_EQ(answer->text, "Set fax class as Class 2 ?");
  EXPECT_EQ(answer->caption, "Fax Class");
}

TEST_F(CheckFaxClassTest, Class2_0OnlyIsShownInBoldAndNoKeepsTheChoice) {
  EmulatedModemDevice modem("0,2.0");
  EXPECT_EQ(check(modem.name(), 1, QMessageBox::No, "check-fax-class-2-0"), 1);
  EXPECT_EQ(shot->lines, QStringList({"Class 1   : Not Supported", "Class 2   : Not Supported", "Class 2.0 : Supported"}));
  EXPECT_EQ(shot->bold, QList<bool>({false, false, true}));
  EXPECT_EQ(shot->message, "Try using the recommended Fax Class (Class 2.0) or auto detect. " + kNote);
  EXPECT_EQ(answer->text, "Set fax class as Class 2.0 ?");
}

TEST_F(CheckFaxClassTest, TheBuiltInEmulatorRecommendsClass1WhichIsNotOfferedWhenChosen) {
  EXPECT_EQ(check("emulator", 1, std::nullopt, "check-fax-class-emulator"), 1);
  EXPECT_EQ(shot->lines,
            QStringList({"Class 1   : Supported (recommended)", "Class 2   : Supported", "Class 2.0 : Supported"}));
}

TEST_F(CheckFaxClassTest, AModemTalkingNonsenseOrAMissingPortLeavesTheClassesUnknown) {
  const QStringList unknown = {"Class 1   : unknown", "Class 2   : unknown", "Class 2.0 : unknown"};
  {
    GarbageModem garbage;
    EXPECT_EQ(check(garbage.path(), 2, std::nullopt, "check-fax-class-garbage"), 2);
    EXPECT_EQ(shot->lines, unknown);
    EXPECT_EQ(shot->message, "Unable to determine Fax Class support from modem on Com 3");
  }
  EXPECT_EQ(check(dir.file("gone"), 0, std::nullopt, "check-fax-class-missing"), 0);
  EXPECT_EQ(shot->lines, unknown);
  EXPECT_EQ(shot->message, "Unable to open the specified communications port ( Com3 )");
}

}  // namespace
}  // namespace quillon::test
