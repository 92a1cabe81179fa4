#include "files/image_buffer.h"

#include <limits>
#include <new>

namespace {

bool isPowerOfTwo(std::size_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

}  // namespace

bool CImageBuffer::Reserve(std::size_t size) {
    // Sizes are rounded by the granularity and blocks aligned to it: 0 would divide by zero.
    if (!isPowerOfTwo(granularity_)) return false;
    if (size > std::numeric_limits<std::size_t>::max() - (granularity_ - 1)) return false;
    const std::size_t rounded = (size + granularity_ - 1) / granularity_ * granularity_;
    return Allocate(rounded, granularity_);
}

bool CImageBuffer::Allocate(std::size_t size, std::size_t alignment) {
    if (size == 0) return true;
    if (alignment != 0 && !isPowerOfTwo(alignment)) return false;
    if (data_ != nullptr && capacity_ >= size && alignment_ >= alignment) return true;
    Release();
    void* block = nullptr;
    if (allocator_ != nullptr)
        block = alignment != 0 ? allocator_->allocateAligned(size, alignment) : allocator_->allocate(size);
    else if (alignment != 0)
        block = ::operator new[](size, std::align_val_t{alignment}, std::nothrow);
    else
        block = ::operator new[](size, std::nothrow);
    if (block == nullptr) return false;
    data_ = static_cast<std::uint8_t*>(block);
    capacity_ = size;
    alignment_ = alignment;
    return true;
}

void CImageBuffer::Release() {
    if (data_ != nullptr) {
        if (allocator_ != nullptr) {
            if (alignment_ != 0)
                allocator_->releaseAligned(data_);
            else
                allocator_->release(data_);
        } else if (alignment_ != 0) {
            ::operator delete[](data_, std::align_val_t{alignment_});
        } else {
            ::operator delete[](data_);
        }
    }
    data_ = nullptr;
    capacity_ = 0;
    alignment_ = 0;
}
