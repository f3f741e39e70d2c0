#include <REDudi/threads.h>

namespace REDudi {

namespace {

const char kInternalTimerName[] = "ATimer-Internal-Timer";
const int kInternalTimerInterval = 1000;

// The pause for `elapsed` milliseconds stretched by `scaling`, truncated
// toward zero. A negative factor would ask for a negative pause: it gives
// none instead of an almost endless one.
unsigned int ScaledPause(int elapsed, float scaling) {
    float pause = static_cast<float>(elapsed) * scaling;
    if (!(pause > 0.0f))
        return 0;
    if (pause >= 4294967295.0f)
        return 0xFFFFFFFEu;
    return static_cast<unsigned int>(pause);
}

} // namespace

AEventTimer::ATimer::ATimer(const PString& name, int interval, short repeat, bool signal)
    : name(name), interval(interval), remaining(interval), repeat(repeat), signal(signal) {}

AEventTimer::ATimer::~ATimer() {}

AEventTimer::AEventTimer() : target_(nullptr), listLock_(Mutex::GetNewMutex()), scaling_(1.0f) {}

AEventTimer::~AEventTimer() {
    // The loop must be gone before the list and its lock are.
    if (AThread::IsValid()) {
        try {
            Terminate(false);
        } catch (...) {
        }
    }
    delete listLock_;
    listLock_ = nullptr;
    timers_.clear();
}

bool AEventTimer::IsValid() const {
    return listLock_ != nullptr && listLock_->IsValid() && AThread::IsValid();
}

// Timers due at the same time keep the order in which they were added.
void AEventTimer::Insert(const ATimer& timer) {
    if (timer.repeat == 0)
        return;
    auto place = timers_.begin();
    while (place != timers_.end() && place->remaining <= timer.remaining)
        ++place;
    timers_.insert(place, timer);
}

bool AEventTimer::AddTimer(PString name, int interval, short repeat, bool signal) {
    if (!IsValid())
        return false;
    MutexLock hold(listLock_, true);
    Insert(ATimer(name, interval, repeat, signal));
    return true;
}

bool AEventTimer::RemoveTimer(PString name) {
    MutexLock hold(listLock_, true);
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->name.size() == name.size() && it->name.compare(name) == 0) {
            timers_.erase(it);
            return true;
        }
    }
    return false;
}

void AEventTimer::SetTargetThread(Thread* thread) {
    if (!IsValid())
        return;
    {
        MutexLock hold(listLock_, true);
        target_ = thread;
        Insert(ATimer(kInternalTimerName, kInternalTimerInterval, -1, false));
    }
    Execute();
}

void AEventTimer::SetScaling(float scaling) {
    MutexLock hold(listLock_, true);
    scaling_ = scaling;
}

void AEventTimer::ClearAllEvents() {
    MutexLock hold(listLock_, true);
    timers_.clear();
    Insert(ATimer(kInternalTimerName, kInternalTimerInterval, -1, false));
}

unsigned int AEventTimer::Run() {
    try {
        for (;;) {
            bool due = false;
            ATimer fired("", 0, 0, false);
            Thread* target = nullptr;
            unsigned int pause = 0;
            listLock_->Acquire(OwnThread());
            try {
                if (timers_.empty()) {
                    // Nothing to wait for (the built-in timer was removed, or
                    // the loop was started without a target): look again
                    // after the built-in timer's period.
                    pause = ScaledPause(kInternalTimerInterval, scaling_);
                } else {
                    due = true;
                    fired = timers_.front();
                    timers_.pop_front();
                    int elapsed = fired.remaining;
                    fired.remaining = fired.interval;
                    if (fired.repeat > 0)
                        --fired.repeat;
                    for (ATimer& timer : timers_)
                        timer.remaining -= elapsed;
                    pause = ScaledPause(elapsed, scaling_);
                    Insert(fired);
                    target = target_;
                }
            } catch (...) {
                listLock_->Release();
                throw;
            }
            listLock_->Release();
            // An empty list never spins, whatever the scaling factor.
            Sleep(due || pause > 0 ? pause : 1);
            if (due && fired.signal && target != nullptr)
                target->SignalEvent(fired.name);
        }
    } catch (ThreadTerminateException&) {
        return 0;
    }
}

} // namespace REDudi
