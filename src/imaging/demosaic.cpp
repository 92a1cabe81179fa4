#include "imaging/demosaic.h"

void demosaicRowPair(const std::uint16_t*, int, int, int, std::uint16_t*, int, int) {}
void verticalFilterStrip(std::uint16_t*, int, int, int, int) {}
int demosaicItemCount(int height) { return height / 2; }
int verticalStripCount(int width) { return width / 16; }
