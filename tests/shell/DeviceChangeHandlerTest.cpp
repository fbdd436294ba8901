#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <dbt.h>

#include "common/TempDir.h"
#include "shell/DeviceChangeHandler.h"
#include "ui/Application.h"
#include "ui/Error.h"

using testing_support::MessageBoxRecorder;

namespace {

struct Heard {
    std::string who;
    WPARAM event;
    DWORD unitMask;  // of a volume record, 0 without one
};

// A subscriber that records what it hears, and may then act.
class Listener {
  public:
    Listener(std::string name, std::vector<Heard>& log) : name_(std::move(name)), log_(log) {}
    std::function<void()> then;

    void DeviceChanged(TPTDeviceChangeHandler& sender, const TDeviceChangeMessage& message) {
        EXPECT_EQ(&sender, &TPTDeviceChangeHandler::Instance());
        DWORD mask = 0;
        if (message.data != 0)
            mask = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(message.data)->dbcv_unitmask;
        log_.push_back({name_, message.event, mask});
        if (then) then();
    }
    void Other(TPTDeviceChangeHandler&, const TDeviceChangeMessage&) {
        log_.push_back({"other", 0, 0});
    }

    TDeviceChangeMethod Method() { return DeviceChangeMethod<&Listener::DeviceChanged>(this); }

  private:
    std::string name_;
    std::vector<Heard>& log_;
};

bool PumpUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + 30000;
    for (;;) {
        ui::App().ProcessMessages();
        if (done()) return true;
        if (GetTickCount64() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

// Sends a drive arrival the way the system does, with a record that is gone when the call is.
void SendVolumeArrival(DWORD unitMask) {
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = unitMask;
    SendMessageW(TPTDeviceChangeHandler::Instance().Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                 reinterpret_cast<LPARAM>(&volume));
    volume.dbcv_unitmask = 0xDEAD;
}

}  // namespace

TEST(DeviceChangeHandler, BroadcastReachesSubscribersInOrderAfterTheCall) {
    auto& receiver = TPTDeviceChangeHandler::Instance();
    std::vector<Heard> log;
    Listener a("a", log), b("b", log), c("c", log), stranger("stranger", log);
    TDeviceChangeSubscription subscribeC(c.Method());
    receiver.AddHandler(a.Method());
    receiver.AddHandler(b.Method());
    receiver.AddHandler(a.Method());
    // Only the first equal subscriber goes; other code or another object is not equal.
    receiver.RemoveHandler(a.Method());
    receiver.RemoveHandler(DeviceChangeMethod<&Listener::Other>(&b));
    receiver.RemoveHandler(stranger.Method());

    SendVolumeArrival(1u << 4);
    EXPECT_TRUE(log.empty());  // nothing ran inside the broadcast's own call
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 3; }));
    ui::App().ProcessMessages();
    ASSERT_EQ(log.size(), 3u);
    const char* order[] = {"c", "b", "a"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(log[i].who, order[i]);
        EXPECT_EQ(log[i].event, WPARAM(DBT_DEVICEARRIVAL));
        EXPECT_EQ(log[i].unitMask, 1u << 4);
    }

    // A broadcast to every top-level window reaches the hidden receiver too.
    log.clear();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_ABORTIFHUNG,
                        5000, &result);
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 3; }));
    EXPECT_EQ(log[0].event, WPARAM(DBT_DEVNODES_CHANGED));

    receiver.RemoveHandler(a.Method());
    receiver.RemoveHandler(b.Method());
}

TEST(DeviceChangeHandler, FailingSubscriberDoesNotStopTheOthers) {
    MessageBoxRecorder boxes;
    ui::App().SetTitle(L"Lumora");
    std::vector<Heard> log;
    Listener failing("failing", log), next("next", log);
    failing.then = [] { throw ui::Error(L"The drive went away"); };
    TDeviceChangeSubscription first(failing.Method());
    TDeviceChangeSubscription second(next.Method());

    SendVolumeArrival(1);
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 2; }));
    EXPECT_EQ(log[1].who, "next");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"The drive went away");
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Lumora");

    // Anything but an ordinary error ends the pass; the window's own boundary still shows it.
    log.clear();
    boxes.Clear();
    failing.then = [] { throw 42; };
    SendVolumeArrival(1);
    ASSERT_TRUE(PumpUntil([&] { return !boxes.Boxes().empty(); }));
    ui::App().ProcessMessages();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].who, "failing");
}

TEST(DeviceChangeHandler, SubscribersChangedDuringAPass) {
    std::vector<Heard> log;
    Listener remover("remover", log), removed("removed", log), added("added", log);
    TDeviceChangeSubscription subscribeRemoved;
    TDeviceChangeSubscription subscribeAdded;
    remover.then = [&] {
        subscribeRemoved = {};
        if (log.size() == 1) subscribeAdded = TDeviceChangeSubscription(added.Method());
    };
    TDeviceChangeSubscription subscribeRemover(remover.Method());
    subscribeRemoved = TDeviceChangeSubscription(removed.Method());

    // The removed one is not called any more; the added one hears the next broadcast.
    SendVolumeArrival(1);
    ASSERT_TRUE(PumpUntil([&] { return !log.empty(); }));
    ui::App().ProcessMessages();
    SendVolumeArrival(2);
    ASSERT_TRUE(PumpUntil([&] { return log.size() >= 3; }));
    ui::App().ProcessMessages();
    std::vector<std::string> who;
    for (const auto& heard : log) who.push_back(heard.who);
    EXPECT_EQ(who, (std::vector<std::string>{"remover", "remover", "added"}));
}
