// A second process for the trace-log tests: writes numbered records straight
// into the current or the legacy region.
//   log_writer_helper [--legacy] CLASS SUBCLASS LEVEL COUNT PREFIX
// writes COUNT records whose messages are "PREFIX 0" .. "PREFIX COUNT-1".
#include "win32/region_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using REDudi::testing::RegionWriter;

int main(int argc, char** argv) {
    int first = 1;
    RegionWriter::Set set = RegionWriter::Set::kCurrent;
    if (argc > 1 && std::strcmp(argv[1], "--legacy") == 0) {
        set = RegionWriter::Set::kLegacy;
        first = 2;
    }
    if (argc - first != 5) {
        std::fprintf(stderr, "usage: log_writer_helper [--legacy] CLASS SUBCLASS LEVEL COUNT "
                             "PREFIX\n");
        return 2;
    }
    RegionWriter writer(set);
    if (!writer.IsOpen())
        return 1;
    auto level = static_cast<unsigned char>(std::atoi(argv[first + 2]));
    int count = std::atoi(argv[first + 3]);
    for (int i = 0; i < count; ++i) {
        std::string message = std::string(argv[first + 4]) + " " + std::to_string(i);
        if (!writer.Write(argv[first], argv[first + 1], level, 0, message))
            return 1;
    }
    return 0;
}
