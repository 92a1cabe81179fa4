#pragma once

// The order in which the bytes of a multi-byte number stand in a file or a
// block, whatever the host's own order.
enum class ByteOrder {
    kBigEndian,     // most significant byte first
    kLittleEndian,  // least significant byte first
};
