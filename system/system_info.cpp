#include <REDudi/system.h>

#include "foundation/platform/facade.h"

namespace REDudi {

static_assert(sizeof(ASystemInfo) == 2 * sizeof(void*),
              "an ASystemInfo is its virtual table and its pointer");

SystemInfo::SystemInfo() {}

SystemInfo::SystemInfo(const SystemInfo&) {}

SystemInfo::~SystemInfo() {}

namespace {

using Forward = facade::Forwarder<facade::NullTest, facade::Open>;
using Destruction = facade::DeleteDirect;

} // namespace

ASystemInfo::ASystemInfo() : info_(SystemInfo::GetNewSystemInfo()) {}

// Copies share the implementation; the last of them destroys it.
ASystemInfo::ASystemInfo(const ASystemInfo& other) : info_(nullptr) {
    facade::ShareFrom<Destruction>(info_, other.info_);
}

ASystemInfo& ASystemInfo::operator=(const ASystemInfo& other) {
    facade::ShareFrom<Destruction>(info_, other.info_);
    return *this;
}

ASystemInfo::~ASystemInfo() {
    facade::ReleaseShared<Destruction>(info_);
}

bool ASystemInfo::IsValid() const {
    return facade::NullTest::Test(info_);
}

SystemInfo::e_OSType ASystemInfo::GetOS() {
    return Forward::Call(info_, [](SystemInfo* i) { return i->GetOS(); });
}

void ASystemInfo::GetOSVersion(unsigned int& major, unsigned int& minor,
                               unsigned int& servicePack) const {
    if (info_ == nullptr) {
        major = minor = servicePack = 0;
        return;
    }
    info_->GetOSVersion(major, minor, servicePack);
}

unsigned int ASystemInfo::GetRAMInMBs() const {
    return Forward::Call(info_, [](SystemInfo* i) { return i->GetRAMInMBs(); });
}

unsigned int ASystemInfo::GetMaxDriveSpaceInMBs() const {
    return Forward::Call(info_, [](SystemInfo* i) { return i->GetMaxDriveSpaceInMBs(); });
}

unsigned int ASystemInfo::GetProcessorCount() const {
    return Forward::Call(info_, [](SystemInfo* i) { return i->GetProcessorCount(); });
}

PString ASystemInfo::GetProcessorModel(unsigned int index) {
    return Forward::Call(info_, [index](SystemInfo* i) { return i->GetProcessorModel(index); });
}

unsigned int ASystemInfo::GetProcessorSpeedInMhz(unsigned int index) const {
    return Forward::Call(info_,
                         [index](SystemInfo* i) { return i->GetProcessorSpeedInMhz(index); });
}

bool ASystemInfo::IsCDROMPresent() const {
    return Forward::Call(info_, [](SystemInfo* i) { return i->IsCDROMPresent(); });
}

unsigned int ASystemInfo::GetTickCount() const {
    return Forward::Call(info_, [](SystemInfo* i) { return i->GetTickCount(); });
}

PString ASystemInfo::GetPlatformSpecifier() {
    return Forward::Call(info_, [](SystemInfo* i) { return i->GetPlatformSpecifier(); });
}

} // namespace REDudi
