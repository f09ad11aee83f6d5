// GoogleTest's Notification for Debian's mingw-w64, whose C++ library (win32
// threads) has no std::mutex or std::condition_variable: a manual-reset
// event does the same job. Included ahead of every GoogleTest source.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {

// Lets a controller thread hold new threads until it calls Notify.
class Notification {
public:
    Notification() : event_(CreateEventA(NULL, TRUE, FALSE, NULL)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification &) = delete;
    Notification &operator=(const Notification &) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#define GTEST_HAS_NOTIFICATION_ 1
