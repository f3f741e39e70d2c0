// Base64 and the byte containers: a single block of bytes (ABlob) and a
// growable first-in, first-out byte queue (ADynaByteBuffer).
#pragma once

#include <REDudi/export.h>
#include <REDudi/strings.h>

#include <vector>

namespace REDudi {

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

} // namespace REDudi
