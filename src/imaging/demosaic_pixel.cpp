#include "imaging/demosaic_pixel.h"

#include <cassert>
#include <cstdlib>

namespace demosaic {

namespace {

int avg2(int a, int b) {
    return (a + b + 1) >> 1;
}
int avg4(int a, int b, int c, int d) {
    return (a + b + c + d + 2) >> 2;
}

// Gradient class of a same-colour difference: 0 .. 63.
int gradient(int a, int b) {
    return std::abs(a - b) >> 10;
}

std::uint16_t clampSample(int value) {
    return static_cast<std::uint16_t>(value < 0 ? 0 : (value > 65535 ? 65535 : value));
}

void store(std::uint16_t* pixel, int red, int green, int blue) {
    pixel[0] = static_cast<std::uint16_t>(red);
    pixel[1] = static_cast<std::uint16_t>(green);
    pixel[2] = static_cast<std::uint16_t>(blue);
}

// Averages over the rows above and below. An odd width ends in a column of the
// first column's colour, which mirrors the first column's rule.
void bilinearRedRow(const BayerRows& rows, int x, std::uint16_t* pixel) {
    const std::uint16_t* c = rows.current;
    const std::uint16_t* u = rows.up1;
    const std::uint16_t* d = rows.down1;
    const int last = rows.width - 1;
    if (x == 0) {
        store(pixel, c[0], avg2(u[0], d[0]), avg2(u[1], d[1]));
    } else if (x % 2 == 1) {
        if (x < last)
            store(pixel, avg2(c[x - 1], c[x + 1]), c[x], avg2(u[x], d[x]));
        else
            store(pixel, c[x - 1], c[x], avg2(u[x], d[x]));
    } else if (x < last) {
        store(pixel, c[x], avg4(c[x - 1], c[x + 1], u[x], d[x]),
              avg4(u[x - 1], u[x + 1], d[x - 1], d[x + 1]));
    } else {
        store(pixel, c[x], avg2(u[x], d[x]), avg2(u[x - 1], d[x - 1]));
    }
}

void bilinearBlueRow(const BayerRows& rows, int x, std::uint16_t* pixel) {
    const std::uint16_t* c = rows.current;
    const std::uint16_t* u = rows.up1;
    const std::uint16_t* d = rows.down1;
    const int last = rows.width - 1;
    if (x == 0) {
        store(pixel, avg2(u[0], d[0]), c[0], c[1]);
    } else if (x % 2 == 1) {
        if (x < last)
            store(pixel, avg4(u[x - 1], u[x + 1], d[x - 1], d[x + 1]), avg4(c[x - 1], c[x + 1], u[x], d[x]),
                  c[x]);
        else
            store(pixel, avg2(u[x - 1], d[x - 1]), avg2(u[x], d[x]), c[x]);
    } else if (x < last) {
        store(pixel, avg2(u[x], d[x]), c[x], avg2(c[x - 1], c[x + 1]));
    } else {
        store(pixel, avg2(u[x], d[x]), c[x], c[x - 1]);
    }
}

// A red row with only one neighbouring row: the first row, or the last one of an odd height.
void oneSidedRedRow(const BayerRows& rows, const std::uint16_t* o, int x, std::uint16_t* pixel) {
    const std::uint16_t* c = rows.current;
    const int last = rows.width - 1;
    if (x == 0) {
        store(pixel, c[0], avg2(c[1], o[0]), o[1]);
    } else if (x % 2 == 1) {
        if (x < last)
            store(pixel, avg2(c[x - 1], c[x + 1]), c[x], o[x]);
        else
            store(pixel, c[x - 1], c[x], o[x]);
    } else if (x < last) {
        store(pixel, c[x], avg2(c[x - 1], c[x + 1]), avg2(o[x - 1], o[x + 1]));
    } else {
        store(pixel, c[x], avg2(c[x - 1], o[x]), o[x - 1]);
    }
}

void bottomBlueRow(const BayerRows& rows, int x, std::uint16_t* pixel) {
    const std::uint16_t* c = rows.current;
    const std::uint16_t* u = rows.up1;
    const int last = rows.width - 1;
    if (x == 0) {
        store(pixel, u[0], c[0], c[1]);
    } else if (x % 2 == 1) {
        if (x < last)
            store(pixel, avg2(u[x - 1], u[x + 1]), avg2(c[x - 1], c[x + 1]), c[x]);
        else
            store(pixel, u[x - 1], c[x - 1], c[x]);
    } else if (x < last) {
        store(pixel, u[x], c[x], avg2(c[x - 1], c[x + 1]));
    } else {
        store(pixel, u[x], c[x], c[x - 1]);
    }
}

// The 5 x 5 neighbourhood of an interior site.
struct Neighbourhood {
    int centre, west1, east1, west2, east2, north1, south1, north2, south2;
    int northWest, northEast, southWest, southEast;
};

Neighbourhood neighbourhood(const BayerRows& rows, int x) {
    const std::uint16_t* c = rows.current;
    return {c[x],
            c[x - 1],
            c[x + 1],
            c[x - 2],
            c[x + 2],
            rows.up1[x],
            rows.down1[x],
            rows.up2[x],
            rows.down2[x],
            rows.up1[x - 1],
            rows.up1[x + 1],
            rows.down1[x - 1],
            rows.down1[x + 1]};
}

// Red or blue site: green and the diagonal colour (blue at a red site, red at a blue one).
// The largest numerator, (7938 + 4) * 4 * 65535 + 12 * 65535, stays below 2^31.
void adaptiveDiagonalSite(const Neighbourhood& n, int& green, int& diagonal) {
    const int a = gradient(n.west2, n.east2);
    const int b = gradient(n.west1, n.east1);
    const int c = gradient(n.northWest, n.southEast);
    const int weightGreen = (2 * a * a) / (b * b + 2);
    const int weightDiagonal = (4 * b * b) / (c * c + 2);
    const int cross1 = n.north1 + n.south1 + n.west1 + n.east1;
    const int cross2 = n.north2 + n.south2 + n.west2 + n.east2;
    const int diagonals = n.northWest + n.northEast + n.southWest + n.southEast;
    green = clampSample(((weightGreen + 2) * cross1 + 4 * n.centre - cross2) / (4 * weightGreen + 8));
    diagonal = clampSample(((weightDiagonal + 4) * diagonals + 12 * n.centre - 3 * cross2) /
                           (4 * weightDiagonal + 16));
}

// Green site of a red row: red left and right, blue above and below.
void adaptiveGreenInRedRow(const Neighbourhood& n, int& red, int& blue) {
    const int a = gradient(n.west2, n.east2);
    const int b = gradient(n.west1, n.east1);
    const int c = gradient(n.north1, n.south1);
    const int weightRed = (4 * a * a) / (b * b + 2);
    const int weightBlue = (4 * a * a) / (c * c + 2);
    const int diagonals = n.northWest + n.northEast + n.southWest + n.southEast;
    red = clampSample(((weightRed + 8) * (n.west1 + n.east1) + 10 * n.centre - 2 * (n.west2 + n.east2) -
                       2 * diagonals + (n.north2 + n.south2)) /
                      (2 * weightRed + 16));
    blue = clampSample(((weightBlue + 8) * (n.north1 + n.south1) + 10 * n.centre - 2 * (n.north2 + n.south2) -
                        2 * diagonals + (n.west2 + n.east2)) /
                       (2 * weightBlue + 16));
}

// Green site of a blue row: blue left and right, red above and below.
void adaptiveGreenInBlueRow(const Neighbourhood& n, int& red, int& blue) {
    const int a = gradient(n.north2, n.south2);
    const int b = gradient(n.west1, n.east1);
    const int c = gradient(n.north1, n.south1);
    const int weightRed = (4 * a * a) / (c * c + 2);
    const int weightBlue = (4 * a * a) / (b * b + 2);
    const int diagonals = n.northWest + n.northEast + n.southWest + n.southEast;
    red = clampSample(((weightRed + 8) * (n.north1 + n.south1) + 10 * n.centre - 2 * (n.north2 + n.south2) -
                       2 * diagonals + (n.west2 + n.east2)) /
                      (2 * weightRed + 16));
    blue = clampSample(((weightBlue + 8) * (n.west1 + n.east1) + 10 * n.centre - 2 * (n.west2 + n.east2) -
                        2 * diagonals + (n.north2 + n.south2)) /
                       (2 * weightBlue + 16));
}

void adaptivePixel(const BayerRows& rows, int x, std::uint16_t* pixel) {
    const Neighbourhood n = neighbourhood(rows, x);
    int first = 0;
    int second = 0;
    if (rows.redRow) {
        if (x % 2 == 0) {
            adaptiveDiagonalSite(n, first, second);
            store(pixel, n.centre, first, second);
        } else {
            adaptiveGreenInRedRow(n, first, second);
            store(pixel, first, n.centre, second);
        }
    } else if (x % 2 == 0) {
        adaptiveGreenInBlueRow(n, first, second);
        store(pixel, first, n.centre, second);
    } else {
        adaptiveDiagonalSite(n, first, second);
        store(pixel, second, first, n.centre);
    }
}

}  // namespace

RowRule rowRule(int height, int row, int mode) {
    if (row == 0) return RowRule::kTop;
    if (row == height - 1) return RowRule::kBottom;
    // Rows 2 .. height - 3 have two rows on each side; for an odd height this also keeps
    // the adaptive kernels of row height - 2 from reading below the frame.
    if (mode == 1 && row >= 2 && row <= height - 3) return RowRule::kAdaptive;
    return RowRule::kBilinear;
}

BayerRows bayerRows(const std::uint16_t* bayer, std::size_t stride, int width, int height, int row) {
    BayerRows rows;
    const auto rowAt = [&](int r) -> const std::uint16_t* {
        return (r >= 0 && r < height) ? bayer + static_cast<std::size_t>(r) * stride : nullptr;
    };
    rows.up2 = rowAt(row - 2);
    rows.up1 = rowAt(row - 1);
    rows.current = rowAt(row);
    rows.down1 = rowAt(row + 1);
    rows.down2 = rowAt(row + 2);
    rows.width = width;
    rows.redRow = row % 2 == 0;
    return rows;
}

void interpolatePixel(const BayerRows& rows, RowRule rule, int x, std::uint16_t* rgbPixel) {
    if (rule == RowRule::kAdaptive && x >= 2 && x <= rows.width - 3) {
        adaptivePixel(rows, x, rgbPixel);
        return;
    }
    if (rule == RowRule::kTop) {
        assert(rows.redRow && rows.down1);
        oneSidedRedRow(rows, rows.down1, x, rgbPixel);
    } else if (rule == RowRule::kBottom) {
        assert(rows.up1);
        if (rows.redRow)
            oneSidedRedRow(rows, rows.up1, x, rgbPixel);
        else
            bottomBlueRow(rows, x, rgbPixel);
    } else {
        assert(rows.up1 && rows.down1);
        if (rows.redRow)
            bilinearRedRow(rows, x, rgbPixel);
        else
            bilinearBlueRow(rows, x, rgbPixel);
    }
}

}  // namespace demosaic
