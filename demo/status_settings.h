// The settings of the status service, as it reads them from the registry
// properties below its root (written there by importing its INI file).
#pragma once

#include <REDudi/property_manager.h>

#include <string>
#include <vector>

namespace REDudi {
namespace demo {

struct QueueSetting {
    std::string name;
    unsigned int length = 0;
};

struct ServiceSettings {
    std::string name;
    std::string title;
    std::string site;
    bool showMachine = true;
    // A queue longer than this is reported in the critical log.
    unsigned int queueLimit = 0;
    std::vector<QueueSetting> queues;
};

// Reads /Service/Name, /Service/Title, /Service/Site, /Pages/ShowMachine,
// /Limits/QueueLength and every value of /Queues. Title and the limit are
// required; false with `error` naming the property that is missing or not a
// number.
bool ReadServiceSettings(APropertyManager& properties, ServiceSettings& settings,
                         std::string& error);

// A whole unsigned decimal number that fits 32 bits, nothing else.
bool ParseCount(const std::string& text, unsigned int& value);

} // namespace demo
} // namespace REDudi
