#pragma once

// An independent, deliberately plain model of the demosaic, its two post-filters and the
// 4:2:2 conversion, written straight from the rules for frames of even width and height.
// Tests compare the kernels against it; it shares no code with them.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace model {

using Samples = std::vector<std::uint16_t>;

namespace detail {

struct Bayer {
    const Samples& samples;
    int width;
    int at(int x, int y) const { return samples[static_cast<std::size_t>(y) * width + x]; }
};

inline int avg2(int a, int b) {
    return (a + b + 1) >> 1;
}
inline int avg4(int a, int b, int c, int d) {
    return (a + b + c + d + 2) >> 2;
}
inline int q(int a, int b) {
    return std::abs(a - b) / 1024;
}
inline int clamp16(int v) {
    return std::min(65535, std::max(0, v));
}

// Integer division truncating toward zero, spelled out.
inline int divide(int n, int d) {
    return n >= 0 ? n / d : -((-n) / d);
}

enum Rule { kTop, kBottom, kBilinearEven, kBilinearOdd, kAdaptiveEven, kAdaptiveOdd };

inline void pixel(const Bayer& b, int width, int x, int y, Rule rule, int rgb[3]) {
    const auto C = [&](int dx) { return b.at(x + dx, y); };
    const auto U = [&](int dx) { return b.at(x + dx, y - 1); };
    const auto D = [&](int dx) { return b.at(x + dx, y + 1); };
    int& r = rgb[0];
    int& g = rgb[1];
    int& bl = rgb[2];
    const bool evenX = x % 2 == 0;
    const bool border = x < 2 || x > width - 3;
    if (rule == kAdaptiveEven && border) rule = kBilinearEven;
    if (rule == kAdaptiveOdd && border) rule = kBilinearOdd;
    switch (rule) {
        case kBilinearEven:
            if (x == 0) {
                r = C(0);
                g = avg2(U(0), D(0));
                bl = avg2(U(1), D(1));
            } else if (x == width - 1) {
                g = C(0);
                r = C(-1);
                bl = avg2(U(0), D(0));
            } else if (!evenX) {
                g = C(0);
                r = avg2(C(-1), C(1));
                bl = avg2(U(0), D(0));
            } else {
                r = C(0);
                g = avg4(C(-1), C(1), U(0), D(0));
                bl = avg4(U(-1), U(1), D(-1), D(1));
            }
            return;
        case kTop:
            if (x == 0) {
                r = C(0);
                g = avg2(C(1), D(0));
                bl = D(1);
            } else if (x == width - 1) {
                g = C(0);
                r = C(-1);
                bl = D(0);
            } else if (!evenX) {
                g = C(0);
                r = avg2(C(-1), C(1));
                bl = D(0);
            } else {
                r = C(0);
                g = avg2(C(-1), C(1));
                bl = avg2(D(-1), D(1));
            }
            return;
        case kBilinearOdd:
            if (x == 0) {
                g = C(0);
                r = avg2(U(0), D(0));
                bl = C(1);
            } else if (x == width - 1) {
                bl = C(0);
                g = avg2(U(0), D(0));
                r = avg2(U(-1), D(-1));
            } else if (!evenX) {
                bl = C(0);
                g = avg4(C(-1), C(1), U(0), D(0));
                r = avg4(U(-1), U(1), D(-1), D(1));
            } else {
                g = C(0);
                r = avg2(U(0), D(0));
                bl = avg2(C(-1), C(1));
            }
            return;
        case kBottom:
            if (x == 0) {
                g = C(0);
                r = U(0);
                bl = C(1);
            } else if (x == width - 1) {
                bl = C(0);
                g = C(-1);
                r = U(-1);
            } else if (!evenX) {
                bl = C(0);
                g = avg2(C(-1), C(1));
                r = avg2(U(-1), U(1));
            } else {
                g = C(0);
                r = U(0);
                bl = avg2(C(-1), C(1));
            }
            return;
        default:
            break;
    }
    const int c = C(0);
    const int W1 = C(-1), E1 = C(1), W2 = C(-2), E2 = C(2);
    const int N1 = U(0), S1 = D(0), N2 = b.at(x, y - 2), S2 = b.at(x, y + 2);
    const int NW = U(-1), NE = U(1), SW = D(-1), SE = D(1);
    const bool siteWithDiagonalColour = (rule == kAdaptiveEven) == evenX;
    if (siteWithDiagonalColour) {
        const int a = q(W2, E2), bb = q(W1, E1), cc = q(NW, SE);
        const int wG = divide(2 * a * a, bb * bb + 2);
        const int wX = divide(4 * bb * bb, cc * cc + 2);
        const int green =
            clamp16(divide((wG + 2) * (N1 + S1 + W1 + E1) + 4 * c - (N2 + S2 + W2 + E2), 4 * wG + 8));
        const int other =
            clamp16(divide((wX + 4) * (NW + NE + SW + SE) + 12 * c - 3 * (N2 + S2 + W2 + E2), 4 * wX + 16));
        g = green;
        if (rule == kAdaptiveEven) {
            r = c;
            bl = other;
        } else {
            bl = c;
            r = other;
        }
        return;
    }
    g = c;
    const int bb = q(W1, E1), cc = q(N1, S1);
    const int diag = NW + NE + SW + SE;
    if (rule == kAdaptiveEven) {
        const int a = q(W2, E2);
        const int wR = divide(4 * a * a, bb * bb + 2), wB = divide(4 * a * a, cc * cc + 2);
        r = clamp16(
            divide((wR + 8) * (W1 + E1) + 10 * c - 2 * (W2 + E2) - 2 * diag + (N2 + S2), 2 * wR + 16));
        bl = clamp16(
            divide((wB + 8) * (N1 + S1) + 10 * c - 2 * (N2 + S2) - 2 * diag + (W2 + E2), 2 * wB + 16));
    } else {
        const int a = q(N2, S2);
        const int wR = divide(4 * a * a, cc * cc + 2), wB = divide(4 * a * a, bb * bb + 2);
        r = clamp16(
            divide((wR + 8) * (N1 + S1) + 10 * c - 2 * (N2 + S2) - 2 * diag + (W2 + E2), 2 * wR + 16));
        bl = clamp16(
            divide((wB + 8) * (W1 + E1) + 10 * c - 2 * (W2 + E2) - 2 * diag + (N2 + S2), 2 * wB + 16));
    }
}

inline void horizontal(std::uint16_t* row, int width, int level) {
    if (level < 0) return;
    const Samples in(row, row + 3 * width);
    const auto px = [&](int x, int ch) { return static_cast<int>(in[3 * x + ch]); };
    static const int m[4] = {0, 4, 2, 1}, k[4] = {0, 10, 6, 4}, s[4] = {0, 4, 3, 2};
    for (int x = 1; x <= width - 2; ++x) {
        for (int ch = 0; ch < 3; ++ch) {
            int v = (px(x - 1, ch) + 2 * px(x, ch) + px(x + 1, ch)) >> 2;
            if (level >= 1 && x >= 2 && x <= width - 3) {
                const int sum = m[level] * (px(x - 1, ch) + px(x + 1, ch)) + k[level] * px(x, ch) -
                                px(x - 2, ch) - px(x + 2, ch);
                v = clamp16(sum >> s[level]);
            }
            row[3 * x + ch] = static_cast<std::uint16_t>(v);
        }
    }
}

}  // namespace detail

using namespace detail;

inline Samples demosaic(const Samples& bayerSamples, int width, int height, int mode, int level) {
    const Bayer b{bayerSamples, width};
    Samples rgb(3 * static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        Rule rule;
        if (y % 2 == 0)
            rule = y == 0 ? kTop : (mode == 1 && y < height - 2 ? kAdaptiveEven : kBilinearEven);
        else
            rule = y == height - 1 ? kBottom : (mode == 1 && y - 1 >= 2 ? kAdaptiveOdd : kBilinearOdd);
        std::uint16_t* row = &rgb[3 * static_cast<std::size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            int value[3] = {-1, -1, -1};
            pixel(b, width, x, y, rule, value);
            for (int ch = 0; ch < 3; ++ch) row[3 * x + ch] = static_cast<std::uint16_t>(value[ch]);
        }
        horizontal(row, width, level);
    }
    return rgb;
}

inline void verticalFilter(Samples& rgb, int width, int height, int level) {
    if (level < 0) return;
    const Samples in = rgb;
    const int columns = 3 * width;
    const auto at = [&](int column, int y) {
        return static_cast<int>(in[static_cast<std::size_t>(y) * columns + column]);
    };
    static const int g[4] = {2, 4, 4, 3}, h[4] = {0, 5, 4, 3}, k[4] = {2, 5, 6, 4}, m[4] = {1, 2, 2, 1};
    for (int y = 2; y <= height - 3; ++y) {
        for (int column = 0; column < columns; ++column) {
            int v;
            if (level == 0) {
                v = std::min(65535, std::min(65535, (at(column, y - 1) >> 2) + 2 * (at(column, y) >> 2)) +
                                        (at(column, y + 1) >> 2));
            } else {
                v = k[level] * (at(column, y) >> g[level]);
                v = std::max(0, v - (at(column, y - 2) >> h[level]));
                v = std::max(0, v - (at(column, y + 2) >> h[level]));
                v = std::min(65535, v + m[level] * (at(column, y - 1) >> g[level]));
                v = std::min(65535, v + m[level] * (at(column, y + 1) >> g[level]));
                v = std::min(v, 32767) * 2;
            }
            rgb[static_cast<std::size_t>(y) * columns + column] = static_cast<std::uint16_t>(v);
        }
    }
}

inline void yuvPair(const std::uint16_t* p, std::uint16_t* out) {
    const double r0 = p[0], g0 = p[1], b0 = p[2], r1 = p[3], g1 = p[4], b1 = p[5];
    double sum = 0.183 * r0;
    sum += 4112;
    sum += 0.614 * g0;
    sum += 0.062 * b0;
    out[0] = static_cast<std::uint16_t>(static_cast<long>(sum));
    sum = 0.2195 * (r0 + r1);
    sum += 32768;
    sum -= 0.1995 * (g0 + g1);
    sum -= 0.02 * (b0 + b1);
    out[1] = static_cast<std::uint16_t>(static_cast<long>(sum));
    sum = 0.183 * r1;
    sum += 4112;
    sum += 0.614 * g1;
    sum += 0.062 * b1;
    out[2] = static_cast<std::uint16_t>(static_cast<long>(sum));
    sum = -0.0505 * (r0 + r1);
    sum += 32768;
    sum -= 0.169 * (g0 + g1);
    sum += 0.2195 * (b0 + b1);
    out[3] = static_cast<std::uint16_t>(static_cast<long>(sum));
}

}  // namespace model
