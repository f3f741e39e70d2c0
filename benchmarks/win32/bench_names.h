// Names shared by the reader benchmark and its writer processes.
#pragma once

namespace REDudi {
namespace bench {

// Writers release this semaphore once ready, then wait for the start event.
constexpr char kReadySemaphore[] = "REDudi.ReaderBench.Ready";
constexpr char kStartEvent[] = "REDudi.ReaderBench.Start";

} // namespace bench
} // namespace REDudi
