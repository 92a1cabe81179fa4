#include "components/curve_transfer.h"

namespace {

constexpr std::uint32_t kGammaKind = 2;

constexpr std::uint32_t gammaCode(std::uint32_t numerator, std::uint32_t denominator) {
    return kGammaKind << 16 | numerator << 8 | denominator;
}

}  // namespace

AVColorTransferCharacteristic lookUpCurveTransfer(std::uint32_t curveCode) {
    switch (curveCode) {
        case gammaCode(1, 1):
            return AVCOL_TRC_LINEAR;
        case gammaCode(11, 5):
            return AVCOL_TRC_GAMMA22;
        case gammaCode(14, 5):
            return AVCOL_TRC_GAMMA28;
        default:
            return AVCOL_TRC_UNSPECIFIED;
    }
}
