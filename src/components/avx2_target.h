#pragma once

// Marks a function compiled for AVX2 while the rest of the file is built for the
// baseline processor; such functions run only after avx2PictureKernelsAvailable().
#ifndef RAW2TVX_TARGET_AVX2
#define RAW2TVX_TARGET_AVX2 __attribute__((target("avx2")))
#endif
