// LoadRichText / SaveRichText against a real fax store in a temporary data folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "richtext/rich_text_control.h"
#include "richtext/rich_text_store.h"
#include "richtext/sample_documents.h"
#include "support/temp_dir.h"

namespace quillon::richtext {
namespace {

TEST(RichTextStore, SavedRichTextLoadsBackIntoAnotherControl) {
  test::TempDir dir;
  store::FaxStore faxStore(dir.path());
  ASSERT_TRUE(faxStore.openFaxDBF());
  ASSERT_TRUE(faxStore.appendSent({"Mrs Jones", "Invoice", "555 0100", "", ""}));

  TWPRichText cover, loaded;
  cover.loadRtf(test::richTextData("cover_letter.rtf"));
  ASSERT_TRUE(SaveRichText(cover, faxStore, faxStore.faxTable(), store::sentfield::RTFCOVER));
  EXPECT_TRUE(std::filesystem::exists(dir.file("Eraseme.rtf"))) << "the scratch file stays after a save";

  loaded.loadRtf("{\\rtf1 old text}");
  ASSERT_TRUE(LoadRichText(loaded, faxStore, faxStore.faxTable(), store::sentfield::RTFCOVER));
  EXPECT_FALSE(std::filesystem::exists(dir.file("Eraseme.rtf"))) << "the scratch file goes after a load";
  EXPECT_EQ(loaded.saveRtf(), cover.saveRtf());
  EXPECT_EQ(fieldsOf(*loaded.document()).size(), 5u);

  // An empty memo gives an empty control.
  ASSERT_TRUE(LoadRichText(loaded, faxStore, faxStore.faxTable(), store::sentfield::RTFDOC));
  EXPECT_TRUE(loaded.isEmpty());
}

TEST(RichTextStore, AMemoThatCannotBeExportedLeavesTheControlEmpty) {
  test::TempDir dir;
  store::FaxStore faxStore(dir.path());
  ASSERT_TRUE(faxStore.openFaxDBF());
  ASSERT_TRUE(faxStore.appendSent({"Mrs Jones", "Invoice", "555 0100", "{\\rtf1 cover}", ""}));
  TWPRichText control;
  control.loadRtf("{\\rtf1 something typed}");
  EXPECT_FALSE(LoadRichText(control, faxStore, faxStore.faxTable(), "NOSUCHFIELD"));
  EXPECT_TRUE(control.document()->isEmpty());
}

}  // namespace
}  // namespace quillon::richtext
