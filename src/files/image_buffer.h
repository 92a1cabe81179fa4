#pragma once

#include <cstddef>
#include <cstdint>

// Where an image buffer's blocks come from when the C runtime's heap is not
// wanted. Aligned blocks are returned through releaseAligned, plain ones
// through release.
class IBufferAllocator {
public:
    virtual void* allocate(std::size_t size) = 0;
    virtual void release(void* block) = 0;
    virtual void* allocateAligned(std::size_t size, std::size_t alignment) = 0;
    virtual void releaseAligned(void* block) = 0;
    virtual ~IBufferAllocator() = default;
};

// Format codes: four characters, most significant byte first.
inline constexpr std::uint32_t kFormatDPX0 = 0x44505830;  // "DPX0": 10-bit RGB in filled 32-bit words
inline constexpr std::uint32_t kFormatV210 = 0x76323130;  // "v210": 10-bit 4:2:2

// A block a whole picture file is loaded into, with what the loader learnt
// about the picture in it. Owns its block; the allocator, when set, must
// outlive it.
class CImageBuffer {
public:
    struct SecondElement {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        std::uint32_t formatCode = 0;
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
    };

    explicit CImageBuffer(std::size_t granularity, IBufferAllocator* allocator = nullptr)
        : allocator_(allocator), granularity_(granularity) {}
    ~CImageBuffer() { Release(); }
    CImageBuffer(const CImageBuffer&) = delete;
    CImageBuffer& operator=(const CImageBuffer&) = delete;

    // Rounds size up to a multiple of the granularity and allocates that many
    // bytes aligned to it. A granularity of 0 (or one that is not a power of
    // two) is refused, as is a size that overflows when rounded.
    bool Reserve(std::size_t size);
    // A size of 0 succeeds and changes nothing. The block in hand is kept when
    // it is large enough and at least as aligned; otherwise it is released
    // and a new one taken. alignment 0 asks for none; any other alignment must
    // be a power of two. On failure the buffer holds no block.
    bool Allocate(std::size_t size, std::size_t alignment);
    // Returns the block the way it was obtained.
    void Release();

    std::uint8_t* Data() const { return data_; }
    std::size_t Capacity() const { return capacity_; }
    std::size_t Alignment() const { return alignment_; }
    std::size_t Granularity() const { return granularity_; }

    // Filled by the loader.
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t rowBytes = 0;
    std::uint32_t formatCode = 0;
    std::uint64_t dataOffset = 0;  // where the image data starts within the block
    SecondElement secondElement;

private:
    IBufferAllocator* allocator_ = nullptr;
    std::uint8_t* data_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t alignment_ = 0;
    std::size_t granularity_ = 0;
};
