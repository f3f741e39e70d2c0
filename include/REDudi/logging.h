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

} // namespace REDudi
