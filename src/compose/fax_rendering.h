#pragma once
// A fax's cover sheet and document rendered into one fax file: each page painted black on
// white into a 1664 x 2156 bitmap (11 inches at 196 lines per inch; with the converter's
// 50-pixel left margin it fills the 1728-pixel fax line), saved as DataFolder + "_TMP.BMP",
// converted into a one-page fax file, and the page files joined into the first.
#include <QSize>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace quillon::richtext {
class TWPRichText;
}

namespace quillon::compose {

inline constexpr int kPageBitmapWidth = 1664;
inline constexpr int kPageBitmapHeight = 2156;
inline constexpr int kPageBorder = 49;  // white on every side of the text
inline constexpr const char* kPageBitmapFile = "_TMP.BMP";

// The zoom that draws text laid out at `pixelsPerInch` at about 200 dots per inch:
// Trunc(200 / ppi * 100), 208 at 96 and 166 at 120.
int renderingZoom(double pixelsPerInch);

// The result file: the first of QLN_1.APF ... QLN_1000.APF in `folder` that does not exist,
// QLN1.APF when all do. `folder` ends in '/'.
std::string resultFaxFileName(const std::string& folder);
// The file of the k-th page overall: the result file for k = 1, else QLNAXk.APF.
std::string pageFileName(const std::string& folder, const std::string& resultFile, int k);

struct RenderHooks {
  std::function<void(const QString&)> status;  // status line texts
  std::function<void()> letMessagesRun;        // between steps
};

// One rendering pass: every page of `editor`, appended to `pages` (at least one page).
// The bitmap file is deleted afterwards, also on failure. Failures throw (the converter's
// exceptions, EInOutError when the bitmap cannot be written).
void renderPass(richtext::TWPRichText& editor, const std::string& folder, std::vector<std::string>& pages,
                const RenderHooks& hooks = {});

// Appends pages 2..n to the first file and deletes their files; returns the first. Throws on
// failure.
std::string joinPageFiles(const std::vector<std::string>& pages);

// The whole rendering of two loaded editors (cover first, then document). Returns the fax
// file, or "" when both are empty (nothing is written then). `pageCount` gets the number of
// pages. On a failure every page file made so far is deleted and the exception goes on.
std::string renderFaxFile(richtext::TWPRichText& cover, richtext::TWPRichText& document, const std::string& folder,
                          int& pageCount, const RenderHooks& hooks = {});

}  // namespace quillon::compose
