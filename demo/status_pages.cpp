#include "status_pages.h"

#include <REDudi/files.h>

#include <memory>

namespace REDudi {
namespace demo {

bool IsOverLimit(unsigned int length, unsigned int limit) { return length > limit; }

std::vector<QueueSetting> QueuesOverLimit(const ServiceSettings& settings) {
    std::vector<QueueSetting> over;
    for (const QueueSetting& queue : settings.queues)
        if (IsOverLimit(queue.length, settings.queueLimit))
            over.push_back(queue);
    return over;
}

void FillPageValues(const ServiceSettings& settings, const MachineFigures& machine,
                    const std::string& generated, PropertyBag& values) {
    values.SetProperty("Title", settings.title.c_str());
    values.SetProperty("Name", settings.name.c_str());
    values.SetProperty("Site", settings.site.c_str());
    values.SetProperty("Generated", generated.c_str());
    values.SetProperty("ShowMachine", settings.showMachine ? "1" : "0");
    values.SetProperty("QueueLimit", settings.queueLimit);
    values.SetProperty("QueueCount", static_cast<unsigned int>(settings.queues.size()));
    const unsigned int overCount = static_cast<unsigned int>(QueuesOverLimit(settings).size());
    values.SetProperty("OverCount", overCount);
    values.SetProperty("AnyOver", overCount > 0 ? "1" : "0");
    values.SetProperty("AllWithin", overCount > 0 ? "0" : "1");
    values.SetProperty("Platform", machine.platform.c_str());
    values.SetProperty("ProcessorModel", machine.processorModel.c_str());
    values.SetProperty("Processors", machine.processors);
    values.SetProperty("MemoryMB", machine.memoryMB);
    values.SetProperty("LargestDriveMB", machine.largestDriveMB);
    for (std::size_t i = 0; i < settings.queues.size(); ++i) {
        const QueueSetting& queue = settings.queues[i];
        const unsigned int index = static_cast<unsigned int>(i);
        values.SetProperty("QueueName", queue.name.c_str(), index);
        values.SetProperty("QueueLength", queue.length, index);
        values.SetProperty("QueueOver", IsOverLimit(queue.length, settings.queueLimit) ? "1" : "0",
                           index);
    }
}

QueueLoop::QueueLoop(const ServiceSettings& settings, PropertyBag& values)
    : settings_(settings), values_(values) {}

bool QueueLoop::BeginFor(PString& loopName) {
    if (loopName != "Queues")
        return false;
    next_ = 0;
    return Show(next_++);
}

bool QueueLoop::NextFor(PString& loopName) {
    if (loopName != "Queues")
        return false;
    return Show(next_++);
}

bool QueueLoop::Show(std::size_t index) {
    if (index >= settings_.queues.size())
        return false;
    const QueueSetting& queue = settings_.queues[index];
    values_.SetProperty("QueueName", queue.name.c_str());
    values_.SetProperty("QueueLength", queue.length);
    values_.SetProperty("QueueOver",
                        IsOverLimit(queue.length, settings_.queueLimit) ? "1" : "0");
    return true;
}

namespace {

AFileSpec BelowCurrentDirectory(const std::string& relative) {
    AFileSpec spec;
    spec.SetToCurrentDirectory();
    spec.SetRelativePath(PString(relative));
    return spec;
}

} // namespace

bool GeneratePages(const std::string& templateDirectory, const std::string& pageDirectory,
                   const std::string& firstTemplate, PropertyBag& values, QueueLoop& loop,
                   std::string& indexPath, std::string& error) {
    AFileSpec templates = BelowCurrentDirectory(templateDirectory);
    if (!templates.IsDirectory()) {
        error = "template directory not found: " + std::string(templates.GetFullPath());
        return false;
    }
    AFileSpec pages = BelowCurrentDirectory(pageDirectory);
    AFileSpec details = pages;
    details.SetRelativePath(PString("details"));
    std::unique_ptr<FileManager> files(FileManager::GetNewFileManager());
    if (!files || !files->CreateDir(details)) {
        error = "cannot create " + std::string(details.GetFullPath());
        return false;
    }
    AFileGenerator generator;
    generator.SetSourceDir(templates);
    generator.SetDestinationDir(pages);
    if (!generator.Generate(PString(firstTemplate), PString(firstTemplate), &values, &loop)) {
        error = "generating the pages from " + std::string(templates.GetFullPath()) + " failed";
        return false;
    }
    AFileSpec index = pages;
    index.SetRelativePath(PString(firstTemplate));
    indexPath = index.GetFullPath();
    return true;
}

} // namespace demo
} // namespace REDudi
