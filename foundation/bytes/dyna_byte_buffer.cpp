#include <REDudi/bytes.h>
#include <REDudi/threads.h>

#include <cstdint>
#include <cstring>

namespace REDudi {

namespace {

constexpr unsigned int kNotFound = 0xFFFFFFFF;
constexpr unsigned int kTextLength = 0xFFFFFFFF;

} // namespace

// Holds the buffer's lock for a scope, so that an allocation failure in the
// middle of an operation still releases it.
class ADynaByteBuffer::Locked {
public:
    explicit Locked(const ADynaByteBuffer& buffer) : buffer_(buffer) { buffer_.LockBuffer(); }
    ~Locked() { buffer_.UnlockBuffer(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    const ADynaByteBuffer& buffer_;
};

ADynaByteBuffer::ADynaByteBuffer(unsigned int initialSize, unsigned int growBy)
    : buffer_(new char[initialSize]()), storageSize_(initialSize), dataSize_(0),
      // A zero step would never make room; one byte at a time still does.
      growBy_(growBy > 0 ? growBy : 1), lock_(Mutex::GetNewMutex()) {}

ADynaByteBuffer::ADynaByteBuffer(const ADynaByteBuffer& other)
    : buffer_(nullptr), storageSize_(0), dataSize_(0), growBy_(other.growBy_),
      lock_(Mutex::GetNewMutex()) {
    Locked hold(other);
    buffer_ = new char[other.storageSize_]();
    std::memcpy(buffer_, other.buffer_, other.dataSize_);
    storageSize_ = other.storageSize_;
    dataSize_ = other.dataSize_;
}

ADynaByteBuffer& ADynaByteBuffer::operator=(const ADynaByteBuffer& other) {
    if (this == &other)
        return *this;
    // Snapshot the source first, so that the two locks are never held
    // together (two buffers assigned to each other cannot deadlock).
    ADynaByteBuffer copy(other);
    Locked hold(*this);
    delete[] buffer_;
    buffer_ = copy.buffer_;
    storageSize_ = copy.storageSize_;
    dataSize_ = copy.dataSize_;
    growBy_ = copy.growBy_;
    copy.buffer_ = nullptr;
    return *this;
}

ADynaByteBuffer::~ADynaByteBuffer() {
    delete[] buffer_;
    SafeDelete(lock_);
}

void ADynaByteBuffer::LockBuffer() const {
    if (lock_ != nullptr)
        lock_->Acquire(nullptr);
}

void ADynaByteBuffer::UnlockBuffer() const {
    if (lock_ != nullptr)
        lock_->Release();
}

void ADynaByteBuffer::GrowBuffer() {
    GrowBufferTo(storageSize_ + growBy_);
}

void ADynaByteBuffer::GrowBufferTo(unsigned int storageSize) {
    char* larger = new char[storageSize];
    std::memcpy(larger, buffer_, dataSize_);
    delete[] buffer_;
    buffer_ = larger;
    storageSize_ = storageSize;
}

unsigned int ADynaByteBuffer::GetStartIndex(const char* const pattern, unsigned int length) const {
    if (length == 0)
        return 0;
    if (length > dataSize_)
        return kNotFound;
    const unsigned int last = dataSize_ - length;
    for (unsigned int p = 0; p <= last; ++p) {
        const void* hit = std::memchr(buffer_ + p, pattern[0], last - p + 1);
        if (hit == nullptr)
            return kNotFound;
        p = static_cast<unsigned int>(static_cast<const char*>(hit) - buffer_);
        if (std::memcmp(buffer_ + p, pattern, length) == 0)
            return p;
    }
    return kNotFound;
}

unsigned int ADynaByteBuffer::GetStartIndex(char byte) const {
    const void* hit = dataSize_ > 0 ? std::memchr(buffer_, byte, dataSize_) : nullptr;
    return hit == nullptr ? kNotFound
                          : static_cast<unsigned int>(static_cast<const char*>(hit) - buffer_);
}

void ADynaByteBuffer::Remove(unsigned int count) {
    std::memmove(buffer_, buffer_ + count, dataSize_ - count);
    dataSize_ -= count;
}

bool ADynaByteBuffer::AddToBuffer(const char* const data, unsigned int length) {
    if (data == nullptr)
        return false;
    if (length == kTextLength)
        length = static_cast<unsigned int>(std::strlen(data));
    Locked hold(*this);
    if (storageSize_ - dataSize_ < length) {
        // The size repeated growth would reach, the first whole number of
        // steps that fits, taken in one allocation and one copy. A size that
        // 32 bits cannot count is refused with false at once, queue unchanged:
        // no allocation could hold it, and the size fields could not say it.
        const std::uint64_t missing = std::uint64_t(length) - (storageSize_ - dataSize_);
        const std::uint64_t steps = (missing + growBy_ - 1) / growBy_;
        const std::uint64_t storage = storageSize_ + steps * growBy_;
        if (storage > 0xFFFFFFFFu)
            return false;
        GrowBufferTo(static_cast<unsigned int>(storage));
    }
    std::memcpy(buffer_ + dataSize_, data, length);
    dataSize_ += length;
    return true;
}

bool ADynaByteBuffer::AddByte(char byte) {
    Locked hold(*this);
    if (dataSize_ == storageSize_)
        GrowBuffer();
    buffer_[dataSize_++] = byte;
    return true;
}

bool ADynaByteBuffer::GetData(char* const dest, unsigned int count, bool keep) {
    Locked hold(*this);
    if (count == 0 || count > dataSize_ || dest == nullptr)
        return false;
    std::memcpy(dest, buffer_, count);
    if (!keep)
        Remove(count);
    return true;
}

bool ADynaByteBuffer::PeekData(char* const dest, unsigned int count) const {
    return const_cast<ADynaByteBuffer*>(this)->GetData(dest, count, true);
}

bool ADynaByteBuffer::IsInBuffer(const char* const pattern, unsigned int length) const {
    Locked hold(*this);
    if (pattern == nullptr && length != 0)
        return false;
    return GetStartIndex(pattern, length) != kNotFound;
}

bool ADynaByteBuffer::IsInBuffer(char byte) const {
    Locked hold(*this);
    return GetStartIndex(byte) != kNotFound;
}

bool ADynaByteBuffer::CopyUpTo(unsigned int start, unsigned int delimiterLength, char* const dest,
                               unsigned int destSize, unsigned int* outLength,
                               bool includeDelimiter, bool keep) {
    if (start == kNotFound || dest == nullptr)
        return false;
    const unsigned int n = includeDelimiter ? start + delimiterLength : start;
    if (n >= destSize)
        return false;
    std::memcpy(dest, buffer_, n);
    if (outLength != nullptr)
        *outLength = n;
    else
        dest[n] = '\0';
    if (!keep)
        Remove(start + delimiterLength);
    return true;
}

bool ADynaByteBuffer::GetDataUpTo(const char* const delimiter, unsigned int delimiterLength,
                                  char* const dest, unsigned int destSize, unsigned int* outLength,
                                  bool includeDelimiter, bool keep) {
    Locked hold(*this);
    if (delimiter == nullptr && delimiterLength != 0)
        return false;
    return CopyUpTo(GetStartIndex(delimiter, delimiterLength), delimiterLength, dest, destSize,
                    outLength, includeDelimiter, keep);
}

bool ADynaByteBuffer::PeekDataUpTo(const char* const delimiter, unsigned int delimiterLength,
                                   char* const dest, unsigned int destSize, unsigned int* outLength,
                                   bool includeDelimiter) const {
    return const_cast<ADynaByteBuffer*>(this)->GetDataUpTo(
        delimiter, delimiterLength, dest, destSize, outLength, includeDelimiter, true);
}

bool ADynaByteBuffer::GetDataUpTo(char delimiter, char* const dest, unsigned int destSize,
                                  unsigned int* outLength, bool includeDelimiter, bool keep) {
    Locked hold(*this);
    return CopyUpTo(GetStartIndex(delimiter), 1, dest, destSize, outLength, includeDelimiter, keep);
}

bool ADynaByteBuffer::PeekDataUpTo(char delimiter, char* const dest, unsigned int destSize,
                                   unsigned int* outLength, bool includeDelimiter) const {
    return const_cast<ADynaByteBuffer*>(this)->GetDataUpTo(delimiter, dest, destSize, outLength,
                                                           includeDelimiter, true);
}

bool ADynaByteBuffer::CopyAll(char* const dest, unsigned int destSize, unsigned int* outLength,
                              bool keep) {
    if (dataSize_ > destSize || destSize == 0 || dest == nullptr)
        return false;
    std::memcpy(dest, buffer_, dataSize_);
    if (outLength != nullptr)
        *outLength = dataSize_;
    else if (destSize > dataSize_)
        dest[dataSize_] = '\0';
    if (!keep)
        dataSize_ = 0;
    return true;
}

bool ADynaByteBuffer::GetAllData(char* const dest, unsigned int destSize, unsigned int* outLength,
                                 bool keep) {
    Locked hold(*this);
    return CopyAll(dest, destSize, outLength, keep);
}

bool ADynaByteBuffer::PeekAllData(char* const dest, unsigned int destSize,
                                  unsigned int* outLength) const {
    return const_cast<ADynaByteBuffer*>(this)->GetAllData(dest, destSize, outLength, true);
}

void ADynaByteBuffer::ClearBuffer() {
    Locked hold(*this);
    dataSize_ = 0;
}

bool ADynaByteBuffer::Trim() {
    Locked hold(*this);
    char* exact = new char[dataSize_];
    std::memcpy(exact, buffer_, dataSize_);
    delete[] buffer_;
    buffer_ = exact;
    storageSize_ = dataSize_;
    return true;
}

unsigned int ADynaByteBuffer::GetNumDataBytes() const {
    Locked hold(*this);
    return dataSize_;
}

unsigned int ADynaByteBuffer::GetNumStorageBytes() const {
    Locked hold(*this);
    return storageSize_;
}

} // namespace REDudi
