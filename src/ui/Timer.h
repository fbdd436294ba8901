// A window timer calling OnTimer on the user-interface thread.
#pragma once

#include <functional>

#include <windows.h>

namespace ui {

class Timer {
  public:
    explicit Timer(UINT intervalMs = 1000);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    UINT Interval() const noexcept { return interval_; }
    void SetInterval(UINT intervalMs);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);

    std::function<void(Timer& sender)> OnTimer;

  private:
    friend class Application;
    void Fire();
    void Arm();

    UINT interval_;
    bool enabled_ = false;
};

}  // namespace ui
