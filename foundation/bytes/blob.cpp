#include <REDudi/bytes.h>
#include <REDudi/platform.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace REDudi {

namespace {

bool IsBadCode(const void* p) {
    return QV_IsBadCodePtr(const_cast<void*>(p));
}

} // namespace

ABlob::ABlob() : size_(0), data_(nullptr), owned_(false) {}

ABlob::ABlob(const ABlob& other) : size_(0), data_(nullptr), owned_(false) {
    CopyFrom(other);
}

ABlob& ABlob::operator=(const ABlob& other) {
    if (this != &other) {
        Clear();
        CopyFrom(other);
    }
    return *this;
}

// Blocks are allocated with new[] of bytes, so blocks handed over with
// ownership must come from the same allocator.
void ABlob::CopyFrom(const ABlob& other) {
    if (other.size_ == 0 || other.data_ == nullptr)
        return;
    unsigned char* block = new (std::nothrow) unsigned char[other.size_];
    if (block == nullptr)
        return;
    std::memcpy(block, other.data_, other.size_);
    data_ = block;
    size_ = other.size_;
    owned_ = true;
}

ABlob::~ABlob() {
    ABlob::Clear();
}

bool ABlob::Write(const void* data, unsigned int size) {
    if (size == 0 || data == nullptr)
        return false;
    try {
        if (IsBadCode(data) || QV_IsBadReadPtr(data, size))
            return false;
        Clear();
        unsigned char* block = new (std::nothrow) unsigned char[size];
        if (block == nullptr || IsBadCode(block) || QV_IsBadWritePtr(block, size)) {
            delete[] block;
            return false;
        }
        std::memcpy(block, data, size);
        data_ = block;
        size_ = size;
        owned_ = true;
        return true;
    } catch (...) {
        return false;
    }
}

bool ABlob::Read(void* dest, unsigned int capacity) const {
    if (capacity == 0 || capacity < size_ || dest == nullptr)
        return false;
    try {
        if (IsBadCode(dest) || QV_IsBadWritePtr(dest, capacity) || data_ == nullptr ||
            IsBadCode(data_) || size_ == 0 || QV_IsBadReadPtr(data_, size_))
            return false;
        std::memcpy(dest, data_, size_);
        return !QV_IsBadReadPtr(dest, capacity);
    } catch (...) {
        return false;
    }
}

unsigned int ABlob::GetSize() const {
    return size_;
}

bool ABlob::Clear() {
    if (owned_ && !IsBadCode(data_))
        delete[] static_cast<unsigned char*>(data_);
    size_ = 0;
    data_ = nullptr;
    owned_ = false;
    return true;
}

bool ABlob::Attach(const void* data, unsigned int size, bool owned) {
    if (size == 0 || data == nullptr)
        return false;
    try {
        if (IsBadCode(data) || QV_IsBadReadPtr(data, size))
            return false;
        Clear();
        data_ = const_cast<void*>(data);
        size_ = size;
        owned_ = owned;
        return true;
    } catch (...) {
        return false;
    }
}

void* ABlob::Detach(unsigned int& size) {
    if (data_ == nullptr || IsBadCode(data_))
        return nullptr;
    void* block = data_;
    size = size_;
    owned_ = false;
    Clear();
    return block;
}

void* ABlob::AccessBuffer(unsigned int& size) {
    size = size_;
    return data_;
}

void* ABlob::AccessBuffer() {
    return data_;
}

} // namespace REDudi
