#include "status_settings.h"

#include <list>

namespace REDudi {
namespace demo {

bool ParseCount(const std::string& text, unsigned int& value) {
    if (text.empty() || text.size() > 10)
        return false;
    unsigned long long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number > 0xFFFFFFFFull)
        return false;
    value = static_cast<unsigned int>(number);
    return true;
}

namespace {

bool ReadText(APropertyManager& properties, const char* path, std::string& value) {
    PString text;
    if (!properties.GetProperty(PString(path), text))
        return false;
    value = text;
    return true;
}

bool ReadCount(APropertyManager& properties, const std::string& path, unsigned int& value,
               std::string& error) {
    PString text;
    if (!properties.GetProperty(PString(path), text)) {
        error = "property " + path + " is missing";
        return false;
    }
    if (!ParseCount(text, value)) {
        error = "property " + path + " is not a whole number: \"" + text + "\"";
        return false;
    }
    return true;
}

} // namespace

bool ReadServiceSettings(APropertyManager& properties, ServiceSettings& settings,
                         std::string& error) {
    if (!properties.IsValid()) {
        error = "no properties root";
        return false;
    }
    if (!ReadText(properties, "/Service/Title", settings.title)) {
        error = "property /Service/Title is missing";
        return false;
    }
    // The name and the site only decorate the pages.
    ReadText(properties, "/Service/Name", settings.name);
    ReadText(properties, "/Service/Site", settings.site);
    std::string show;
    if (ReadText(properties, "/Pages/ShowMachine", show))
        settings.showMachine = show != "0";
    if (!ReadCount(properties, "/Limits/QueueLength", settings.queueLimit, error))
        return false;

    std::list<PString> names;
    if (!properties.GetPropertyList(PString("/Queues"), names)) {
        error = "key /Queues is missing";
        return false;
    }
    settings.queues.clear();
    for (const PString& name : names) {
        if (name.empty())
            continue; // the key's unnamed value is not a queue
        QueueSetting queue;
        queue.name = name;
        if (!ReadCount(properties, "/Queues/" + queue.name, queue.length, error))
            return false;
        settings.queues.push_back(queue);
    }
    return true;
}

} // namespace demo
} // namespace REDudi
