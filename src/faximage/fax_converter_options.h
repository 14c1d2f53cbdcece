#pragma once
// Settings types of the fax converter.
#include <cstdint>

namespace quillon::faximage {

enum TFaxInputDocumentType { idNone, idText, idTextEx, idTiff, idPcx, idDcx, idBmp, idBitmap, idUser };

// TFaxCvtOptions as set bits.
inline constexpr unsigned coDoubleWidth = 1;
inline constexpr unsigned coHalfHeight = 2;
inline constexpr unsigned coCenterImage = 4;
inline constexpr unsigned coYield = 8;
inline constexpr unsigned coYieldOften = 16;

enum TFaxResolution { frNormal, frHigh };
enum TFaxWidth { fwNormal, fwWide };
enum TFaxFont { ffStandard, ffSmall };

}  // namespace quillon::faximage
