#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Reads go in pieces of at most this many bytes.
inline constexpr std::size_t kReadChunkBytes = 16u * 1024u * 1024u;
// A piece that arrives at most this many bytes short still counts as whole:
// an unbuffered read in sector units ends early at the end of the file.
inline constexpr std::size_t kShortReadTolerance = 4095;

// Reads up to count bytes into buffer; returns the bytes read (fewer at the
// end of the file) or a negative number on an error.
using ChunkReader = std::function<std::int64_t(void* buffer, std::size_t count)>;

// Reads count bytes in chunks. Fails on an error or on a chunk that falls
// more than kShortReadTolerance bytes short; it never retries. On success
// *reported (when given) is count, even after a tolerated short chunk; the
// bytes that did not arrive are then zero at the end of the buffer, so no
// unread memory is ever handed on.
bool readChunked(const ChunkReader& read, void* buffer, std::size_t count, std::size_t* reported);
