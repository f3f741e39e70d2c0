// The machine-wide trace log: its record, the writer interface, the facades
// and free functions that applications trace through, and the live reader.
#pragma once

#include <REDudi/export.h>
#include <REDudi/strings.h>

#include <cstdint>

namespace REDudi {

#pragma pack(push, 1)
// One record of the shared trace log, exactly as it lies in shared memory.
struct REDUDI_API ALogEntry {
    char className[64]; // the writer's class, NUL-terminated
    char subClass[64];  // the call's subclass or the writer's default
    std::uint32_t time; // seconds since 1970-01-01 00:00 UTC
    std::uint32_t flags;
    std::uint8_t level;
    char process[32];  // writer's process identifier, "0x%lx"
    char thread[32];   // writing thread's identifier, "0x%lx"
    char message[512]; // at most 511 characters, NUL-terminated
    char reserved[3];
};
#pragma pack(pop)
static_assert(sizeof(ALogEntry) == 716, "ALogEntry is shared with other processes");

// Writes records into the shared trace log. The virtual functions are
// declared in a fixed order that is part of the binary interface.
class REDUDI_API Logger {
public:
    virtual ~Logger();
    virtual void Trace(unsigned char level, unsigned int flags, const char* format, ...) = 0;
    virtual void Trace(unsigned char level, const char* format, ...) = 0;
    virtual void Trace(unsigned int flags, const char* format, ...) = 0;
    virtual void Trace(const char* format, ...) = 0;
    virtual void ClassTrace(const char* subClass, const char* format, ...) = 0;
    virtual void ClassTrace(const char* subClass, unsigned char level, unsigned int flags,
                            const char* format, ...) = 0;
    virtual void ClassTrace(const char* subClass, unsigned char level, const char* format, ...) = 0;
    virtual void ClassTrace(const char* subClass, unsigned int flags, const char* format, ...) = 0;
    virtual void SetClass(PString className) = 0;
    virtual void SetDefaultSubClass(PString subClass) = 0;
    virtual void SetDefaultLevel(unsigned char level) = 0;
    virtual void SetDefaultFlags(unsigned int flags) = 0;
    virtual bool IsValid() = 0;

    // A new writer attached to the machine's trace log; null only when memory
    // runs out. The caller owns it.
    static Logger* GetNewLogger();
};

// Facade over a trace-log writer. Each trace operation formats the caller's
// text once, into a 512-byte buffer, and stores the finished text unchanged.
class REDUDI_API ALogger {
public:
    ALogger();
    ALogger(const ALogger& other);
    ALogger& operator=(const ALogger& other);
    virtual ~ALogger();

    bool IsValid();
    void Trace(unsigned char level, unsigned int flags, const char* format, ...);
    void Trace(unsigned char level, const char* format, ...);
    void Trace(unsigned int flags, const char* format, ...);
    void Trace(const char* format, ...);
    void ClassTrace(const char* subClass, const char* format, ...);
    void ClassTrace(const char* subClass, unsigned char level, unsigned int flags,
                    const char* format, ...);
    void ClassTrace(const char* subClass, unsigned char level, const char* format, ...);
    void ClassTrace(const char* subClass, unsigned int flags, const char* format, ...);
    void SetClass(PString className);
    void SetDefaultSubClass(PString subClass);
    void SetDefaultLevel(unsigned char level);
    void SetDefaultFlags(unsigned int flags);

protected:
    Logger* logger_;
};

// A trace facade whose class and default subclass are "DEBUG".
class REDUDI_API ADefaultLogger : public ALogger {
public:
    ADefaultLogger();
    ~ADefaultLogger() override;
};

// Free trace functions, all writing through the process-wide ADefaultLogger.
REDUDI_API void Trace(unsigned char level, unsigned int flags, const char* format, ...);
REDUDI_API void Trace(unsigned char level, const char* format, ...);
REDUDI_API void Trace(unsigned int flags, const char* format, ...);
REDUDI_API void Trace(const char* format, ...);
REDUDI_API void ClassTrace(const char* subClass, const char* format, ...);
REDUDI_API void ClassTrace(const char* subClass, unsigned char level, unsigned int flags,
                           const char* format, ...);
REDUDI_API void ClassTrace(const char* subClass, unsigned char level, const char* format, ...);
REDUDI_API void ClassTrace(const char* subClass, unsigned int flags, const char* format, ...);
REDUDI_API void SetClass(PString className);
REDUDI_API void SetDefaultSubClass(PString subClass);
REDUDI_API void SetDefaultLevel(unsigned char level);
REDUDI_API void SetDefaultFlags(unsigned int flags);

// Receives the records of a LogReader, on the reader's thread, one at a time.
// The record is valid only during the call.
class LogReaderListener {
public:
    virtual void OnLogEntry(ALogEntry* entry) = 0;
};

// Follows the machine's trace log live (the current and the legacy region)
// and hands every new record to its listener, in written order.
class REDUDI_API LogReader {
public:
    virtual ~LogReader();
    // Starts the reader thread; false when it runs already or nothing can be
    // followed.
    virtual bool Start(LogReaderListener* listener) = 0;

    static LogReader* GetNewLogReader();
};

// ---------------------------------------------------------------------------
// The machine-wide critical log: a second shared ring for the few events that
// must not go unnoticed. Each record is also mirrored into the trace log, and
// a reader in another process marks what its listener has handled.

#pragma pack(push, 1)
// One record of the shared critical log, exactly as it lies in shared memory.
struct REDUDI_API ACriticalLogEntry {
    std::uint8_t delivered; // 0 when written, 1 once a reader's listener handled it
    char reserved1[3];
    std::int32_t code;
    char agent[32];     // at most 31 characters, NUL-terminated
    char version[16];   // the program's file version, or "UNKNOWN"
    char module[32];    // at most 31 characters
    char className[64]; // at most 63 characters
    char subClass[64];  // the call's subclass, or "UNKNOWN" when it gave none
    std::uint32_t time; // seconds since 1970-01-01 00:00 UTC
    std::uint8_t level;
    char process[32];   // writer's process identifier, "0x%lx"
    char thread[32];    // writing thread's identifier, "0x%lx"
    char message[2048]; // at most 2047 characters, NUL-terminated
    char reserved2[3];
};
#pragma pack(pop)
static_assert(sizeof(ACriticalLogEntry) == 2336,
              "ACriticalLogEntry is shared with other processes");

// Writes records into the shared critical log. The virtual functions are
// declared in a fixed order that is part of the binary interface.
class REDUDI_API CriticalLogger {
public:
    virtual ~CriticalLogger();
    virtual void Trace(int code, unsigned char level, const char* format, ...) = 0;
    virtual void Trace(int code, const char* format, ...) = 0;
    virtual void ClassTrace(int code, const char* subClass, const char* format, ...) = 0;
    virtual void ClassTrace(int code, const char* subClass, unsigned char level, const char* format,
                            ...) = 0;
    virtual void SetClass(PString className) = 0;
    virtual void SetAgent(PString agent) = 0;
    virtual void SetModule(PString module) = 0;
    virtual void SetDefaultSubClass(PString subClass) = 0;
    virtual void SetDefaultLevel(unsigned char level) = 0;
    virtual bool IsValid() = 0;

    // A new writer attached to the machine's critical log; null only when
    // memory runs out. The caller owns it.
    static CriticalLogger* GetNewLogger();
};

// Facade over a critical-log writer. Each trace operation formats the
// caller's text once, into a 2048-byte buffer, and stores it unchanged.
class REDUDI_API ACriticalLogger {
public:
    ACriticalLogger();
    virtual ~ACriticalLogger();

    bool IsValid();
    void Trace(int code, const char* format, ...);
    void Trace(int code, unsigned char level, const char* format, ...);
    void ClassTrace(int code, const char* subClass, const char* format, ...);
    void ClassTrace(int code, const char* subClass, unsigned char level, const char* format, ...);
    void SetClass(PString className);
    void SetAgent(PString agent);
    void SetModule(PString module);
    void SetDefaultSubClass(PString subClass);
    void SetDefaultLevel(unsigned char level);

protected:
    CriticalLogger* logger_;

public:
    // One facade, one writer: a copy would delete it twice.
    ACriticalLogger(const ACriticalLogger&) = delete;
    ACriticalLogger& operator=(const ACriticalLogger&) = delete;
};

// A critical facade whose agent, class, module and subclass are "UNKNOWN".
class REDUDI_API ADefaultCriticalLogger : public ACriticalLogger {
public:
    ADefaultCriticalLogger();
    ~ADefaultCriticalLogger() override;
};

// Free critical functions, all writing through the process-wide
// ADefaultCriticalLogger.
REDUDI_API void CritLogTrace(int code, const char* format, ...);
REDUDI_API void CritLogTrace(int code, unsigned char level, const char* format, ...);
REDUDI_API void CritLogClassTrace(int code, const char* subClass, const char* format, ...);
REDUDI_API void CritLogClassTrace(int code, const char* subClass, unsigned char level,
                                  const char* format, ...);
REDUDI_API void CritLogSetClass(PString className);
REDUDI_API void CritLogSetAgent(PString agent);
REDUDI_API void CritLogSetModule(PString module);
REDUDI_API void CritLogSetDefaultSubClass(PString subClass);
REDUDI_API void CritLogSetDefaultLevel(unsigned char level);

// Receives the records of a CriticalLogReader, on the reader's thread, one at
// a time. The record is valid only during the call.
class CriticalLogReaderListener {
public:
    virtual void OnLogEntry(ACriticalLogEntry* entry) = 0;
};

// Follows the machine's critical log, hands every new record to its listener
// and marks each handled record delivered in the shared region.
class REDUDI_API CriticalLogReader {
public:
    virtual ~CriticalLogReader();
    // True when the reader thread runs afterwards.
    virtual bool Start(CriticalLogReaderListener* listener) = 0;
    // 0 stops now; otherwise the record being delivered is finished first,
    // waiting at most `timeout` ms.
    virtual void Stop(const unsigned int& timeout) = 0;

    static CriticalLogReader* GetNewCriticalLogReader();
};

} // namespace REDudi
