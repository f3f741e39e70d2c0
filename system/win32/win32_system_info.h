// The Windows system information.
#pragma once

#include <REDudi/system.h>

namespace REDudi {

class WIN32_SystemInfo : public SystemInfo {
public:
    e_OSType GetOS() override;
    void GetOSVersion(unsigned int& major, unsigned int& minor,
                      unsigned int& servicePack) const override;
    unsigned int GetRAMInMBs() const override;
    unsigned int GetMaxDriveSpaceInMBs() const override;
    unsigned int GetProcessorCount() const override;
    PString GetProcessorModel(unsigned int index) override;
    unsigned int GetProcessorSpeedInMhz(unsigned int index) const override;
    bool IsCDROMPresent() const override;
    unsigned int GetTickCount() const override;
    PString GetPlatformSpecifier() override;

protected:
    // The drive's type; DRIVE_UNKNOWN for a letter that names no drive.
    unsigned int Type(char drive);
    // The drive's total size in MiB, 0 when it cannot be read.
    unsigned long AvailableSpace(char drive) const;
};

} // namespace REDudi
