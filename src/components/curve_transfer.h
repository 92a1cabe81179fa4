#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/pixfmt.h>
}

// The transfer characteristic a curve descriptor (kind x 65536 + numerator x
// 256 + denominator) stands for, when there is one. The gamma curve
// (kind 2) is the pure power y = x^(1/G) between the clip's black and white
// levels: G = 1 is linear, G = 2.2 and 2.8 are the powers that the "gamma
// 2.2" and "gamma 2.8" codes name. The log and Cineon curves, and any other
// gamma, have no code: unspecified, so no reader assumes a curve that is not there.
AVColorTransferCharacteristic lookUpCurveTransfer(std::uint32_t curveCode);
