// Turns the service's settings and the machine's figures into the values
// of its status page templates, and walks the queue loops of those pages.
#pragma once

#include "status_settings.h"

#include <REDudi/config.h>
#include <REDudi/preprocessor.h>

#include <string>
#include <vector>

namespace REDudi {
namespace demo {

struct MachineFigures {
    std::string platform;
    std::string processorModel;
    unsigned int processors = 0;
    unsigned int memoryMB = 0;
    unsigned int largestDriveMB = 0;
};

// True when `length` crosses the limit: a queue exactly at the limit is
// still within it.
bool IsOverLimit(unsigned int length, unsigned int limit);

// The queues that cross the limit, in the settings' order.
std::vector<QueueSetting> QueuesOverLimit(const ServiceSettings& settings);

// Fills the page values: Title, Name, Site, Generated, ShowMachine ("0" or
// "1"), QueueLimit, QueueCount, OverCount, AnyOver, the machine's figures
// and, per queue i, QueueName<i>, QueueLength<i> and QueueOver<i>.
void FillPageValues(const ServiceSettings& settings, const MachineFigures& machine,
                    const std::string& generated, PropertyBag& values);

// Drives every loop named Queues: before each pass it sets QueueName,
// QueueLength and QueueOver to the values of the next queue, so that the
// loop body names them without an index. Other loops get no pass.
class QueueLoop : public ForHandler {
public:
    QueueLoop(const ServiceSettings& settings, PropertyBag& values);
    bool BeginFor(PString& loopName) override;
    bool NextFor(PString& loopName) override;

private:
    bool Show(std::size_t index);

    const ServiceSettings& settings_;
    PropertyBag& values_;
    std::size_t next_ = 0;
};

// Expands `firstTemplate` below `templateDirectory` and every page its file
// directives name into `pageDirectory` (created with its details/
// sub-directory when missing). Directories are relative to the current
// directory. False with `error` on failure.
bool GeneratePages(const std::string& templateDirectory, const std::string& pageDirectory,
                   const std::string& firstTemplate, PropertyBag& values, QueueLoop& loop,
                   std::string& indexPath, std::string& error);

} // namespace demo
} // namespace REDudi
