#include "ui/Timer.h"

#include "ui/Application.h"
#include "base/Error.h"

namespace ui {

Timer::Timer(UINT intervalMs) : interval_(intervalMs) { App().timers_.insert(this); }

Timer::~Timer() {
    SetEnabled(false);
    App().timers_.erase(this);
}

void Timer::SetInterval(UINT intervalMs) {
    interval_ = intervalMs;
    if (enabled_) Arm();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) {
        Arm();
    } else {
        KillTimer(App().UtilityWindow(), reinterpret_cast<UINT_PTR>(this));
    }
}

void Timer::Arm() {
    if (SetTimer(App().UtilityWindow(), reinterpret_cast<UINT_PTR>(this), interval_, nullptr) == 0)
        base::ThrowLastError();
}

void Timer::Fire() {
    if (enabled_ && OnTimer) OnTimer(*this);
}

}  // namespace ui
