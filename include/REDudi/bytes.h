// Base64 and the byte containers: a single block of bytes (ABlob) and a
// growable first-in, first-out byte queue (ADynaByteBuffer).
#pragma once

#include <REDudi/export.h>
#include <REDudi/strings.h>

#include <vector>

namespace REDudi {

class Mutex;

// Base64 with the standard alphabet and '=' fill, on one line. Every
// operation appends to its output and returns false only when an exception
// (allocation failure) stopped it. Decoding never rejects its input:
// characters outside the alphabet and positions past the end count as 0xFF,
// and a '=' in the third or fourth position of a group ends the text.
class REDUDI_API ABase64 {
public:
    ABase64() {}
    ABase64(const ABase64&) {}
    ABase64& operator=(const ABase64&) { return *this; }
    virtual ~ABase64();

    static bool Encode(const PString& in, PString& out);
    static bool Encode(std::vector<unsigned char>& in, PString& out);
    static bool Decode(const PString& in, PString& out);
    static bool Decode(PString& in, std::vector<unsigned char>& out);
};

// One block of bytes that the blob owns (a copy, or a block handed over) or
// merely refers to. Every access to caller memory is checked with the
// pointer probes first; nothing throws.
class REDUDI_API ABlob {
public:
    ABlob();
    ABlob(const ABlob& other);
    ABlob& operator=(const ABlob& other);

    virtual ~ABlob();
    virtual bool Write(const void* data, unsigned int size);
    virtual bool Read(void* dest, unsigned int capacity) const;
    virtual unsigned int GetSize() const;
    virtual bool Clear();
    virtual bool Attach(const void* data, unsigned int size, bool owned);
    virtual void* Detach(unsigned int& size);
    virtual void* AccessBuffer(unsigned int& size);
    virtual void* AccessBuffer();

private:
    void CopyFrom(const ABlob& other);

    unsigned int size_;
    void* data_;
    bool owned_;
};

// A growable first-in, first-out byte queue for parsing a byte stream that
// arrives in pieces. The queued bytes always sit at the start of the storage.
// Every operation holds the buffer's own mutex for its whole duration, so a
// producer and a consumer thread may share one buffer. A request that cannot
// be satisfied returns false and leaves the queue as it was; allocation
// failure propagates as std::bad_alloc.
class REDUDI_API ADynaByteBuffer {
public:
    explicit ADynaByteBuffer(unsigned int initialSize = 5120, unsigned int growBy = 1024);
    // A copy gets its own storage holding the same bytes and its own mutex,
    // so both buffers free their resources independently and never block
    // each other.
    ADynaByteBuffer(const ADynaByteBuffer& other);
    ADynaByteBuffer& operator=(const ADynaByteBuffer& other);
    virtual ~ADynaByteBuffer();

    // A length of 0xFFFFFFFF means the zero-terminated text at `data`.
    bool AddToBuffer(const char* const data, unsigned int length);
    bool AddByte(char byte);

    bool GetData(char* const dest, unsigned int count, bool keep);
    bool PeekData(char* const dest, unsigned int count) const;

    bool IsInBuffer(const char* const pattern, unsigned int length) const;
    bool IsInBuffer(char byte) const;

    // Copies the bytes before the delimiter (and the delimiter itself with
    // `includeDelimiter`) to `dest`, which must be larger than what is
    // copied. The length goes to `outLength` when given; otherwise a zero
    // byte follows the copy. Unless kept, the data up to and including the
    // delimiter leaves the queue.
    bool GetDataUpTo(const char* const delimiter, unsigned int delimiterLength, char* const dest,
                     unsigned int destSize, unsigned int* outLength, bool includeDelimiter,
                     bool keep);
    bool PeekDataUpTo(const char* const delimiter, unsigned int delimiterLength, char* const dest,
                      unsigned int destSize, unsigned int* outLength, bool includeDelimiter) const;
    bool GetDataUpTo(char delimiter, char* const dest, unsigned int destSize,
                     unsigned int* outLength, bool includeDelimiter, bool keep);
    bool PeekDataUpTo(char delimiter, char* const dest, unsigned int destSize,
                      unsigned int* outLength, bool includeDelimiter) const;

    bool GetAllData(char* const dest, unsigned int destSize, unsigned int* outLength, bool keep);
    bool PeekAllData(char* const dest, unsigned int destSize, unsigned int* outLength) const;

    void ClearBuffer();
    // Shrinks the storage to exactly the queued bytes.
    bool Trim();
    unsigned int GetNumDataBytes() const;
    unsigned int GetNumStorageBytes() const;

private:
    class Locked;

    void LockBuffer() const;
    void UnlockBuffer() const;
    void GrowBuffer();
    void GrowBufferTo(unsigned int storageSize);
    unsigned int GetStartIndex(const char* const pattern, unsigned int length) const;
    unsigned int GetStartIndex(char byte) const;
    bool CopyUpTo(unsigned int start, unsigned int delimiterLength, char* const dest,
                  unsigned int destSize, unsigned int* outLength, bool includeDelimiter, bool keep);
    bool CopyAll(char* const dest, unsigned int destSize, unsigned int* outLength, bool keep);
    void Remove(unsigned int count);

    char* buffer_;
    unsigned int storageSize_;
    unsigned int dataSize_;
    unsigned int growBy_;
    Mutex* lock_;
};

} // namespace REDudi
