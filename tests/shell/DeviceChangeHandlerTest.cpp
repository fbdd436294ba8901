#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <dbt.h>

#include "common/TempDir.h"
#include "shell/DeviceChangeHandler.h"
#include "ui/Application.h"
#include "base/Error.h"

namespace {

// A subscriber that logs its name, the event and a volume's drive mask, and may then act.
class Listener {
  public:
    Listener(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    std::function<void()> then;

    void DeviceChanged(TPTDeviceChangeHandler& sender, const TDeviceChangeMessage& message) {
        EXPECT_EQ(&sender, &TPTDeviceChangeHandler::Instance());
        const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(message.data);
        log_.push_back(name_ + " " + std::to_string(message.event) + " " +
                       std::to_string(volume != nullptr ? volume->dbcv_unitmask : 0));
        if (then) then();
    }
    void Other(TPTDeviceChangeHandler&, const TDeviceChangeMessage&) { log_.push_back("other"); }
    TDeviceChangeMethod Method() { return DeviceChangeMethod<&Listener::DeviceChanged>(this); }

  private:
    std::string name_;
    std::vector<std::string>& log_;
};

// A drive arrival sent as the system sends it, with a record that is gone once the call is.
void SendVolumeArrival(DWORD unitMask) {
    static DEV_BROADCAST_VOLUME volume;
    volume = {sizeof volume, DBT_DEVTYP_VOLUME, 0, unitMask, 0};
    SendMessageW(TPTDeviceChangeHandler::Instance().Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                 reinterpret_cast<LPARAM>(&volume));
    volume.dbcv_unitmask = 0xDEAD;
}

}  // namespace

TEST(DeviceChangeHandler, BroadcastReachesSubscribersInOrderAfterTheCall) {
    auto& receiver = TPTDeviceChangeHandler::Instance();
    std::vector<std::string> log;
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
    ui::App().ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"c 32768 16", "b 32768 16", "a 32768 16"}));

    // The hidden window is top-level, so a broadcast to every window reaches it too.
    log.clear();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_ABORTIFHUNG,
                        5000, &result);
    ui::App().ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"c 7 0", "b 7 0", "a 7 0"}));
    receiver.RemoveHandler(a.Method());
    receiver.RemoveHandler(b.Method());
}

TEST(DeviceChangeHandler, FailingSubscriberDoesNotStopTheOthers) {
    testing_support::MessageBoxRecorder boxes;
    ui::App().SetTitle(L"Lumora");
    std::vector<std::string> log;
    Listener failing("failing", log), next("next", log);
    TDeviceChangeSubscription first(failing.Method()), second(next.Method());
    failing.then = [] { throw base::Error(L"The drive went away"); };
    SendVolumeArrival(1);
    ui::App().ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"failing 32768 1", "next 32768 1"}));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"The drive went away");
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Lumora");

    // Anything but an ordinary error ends the pass; the window's own boundary still shows it.
    log.clear();
    failing.then = [] { throw 42; };
    SendVolumeArrival(1);
    ui::App().ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"failing 32768 1"}));
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

// One removed during a pass is not called any more; one added hears the next broadcast.
TEST(DeviceChangeHandler, SubscribersChangedDuringAPass) {
    std::vector<std::string> log;
    Listener changer("changer", log), removed("removed", log), added("added", log);
    TDeviceChangeSubscription subscribeRemoved, subscribeAdded;
    changer.then = [&] {
        subscribeRemoved = {};
        if (log.size() == 1) subscribeAdded = TDeviceChangeSubscription(added.Method());
    };
    TDeviceChangeSubscription subscribeChanger(changer.Method());
    subscribeRemoved = TDeviceChangeSubscription(removed.Method());
    SendVolumeArrival(1);
    ui::App().ProcessMessages();
    SendVolumeArrival(2);
    ui::App().ProcessMessages();
    EXPECT_EQ(log,
              (std::vector<std::string>{"changer 32768 1", "changer 32768 2", "added 32768 2"}));
}

// A record is copied by what its type takes and never beyond what its header says; one too short
// for its type reaches the subscribers as no data. Each record ends where readable memory ends.
TEST(DeviceChangeHandler, RecordsAreCopiedByTheSizeTheirTypeTakes) {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    auto* pages = static_cast<unsigned char*>(
        VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
    const size_t portName = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
    struct Row {
        DWORD type;
        size_t real, declared;  // bytes readable, and what the header says
        size_t copied;          // 0: no data
    } rows[] = {
        {DBT_DEVTYP_VOLUME, sizeof(DEV_BROADCAST_VOLUME), sizeof(DEV_BROADCAST_VOLUME),
         sizeof(DEV_BROADCAST_VOLUME)},
        {DBT_DEVTYP_VOLUME, sizeof(DEV_BROADCAST_VOLUME), 0x20000, sizeof(DEV_BROADCAST_VOLUME)},
        {DBT_DEVTYP_VOLUME, sizeof(DEV_BROADCAST_HDR), sizeof(DEV_BROADCAST_HDR), 0},
        {DBT_DEVTYP_VOLUME, sizeof(DWORD), sizeof(DWORD), 0},
        {DBT_DEVTYP_PORT, portName + 10, portName + 10, portName + 10},
        {0x77, 40, 40, sizeof(DEV_BROADCAST_HDR)},
    };
    std::vector<size_t> copied;
    std::wstring port;
    struct Recorder {
        std::vector<size_t>& sizes;
        std::wstring& port;
        void Heard(TPTDeviceChangeHandler&, const TDeviceChangeMessage& message) {
            const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(message.data);
            sizes.push_back(header != nullptr ? header->dbch_size : 0);
            if (header != nullptr && header->dbch_devicetype == DBT_DEVTYP_PORT)
                port = reinterpret_cast<const DEV_BROADCAST_PORT_W*>(header)->dbcp_name;
        }
    } recorder{copied, port};
    TDeviceChangeSubscription heard(DeviceChangeMethod<&Recorder::Heard>(&recorder));
    for (const Row& row : rows) {
        unsigned char* record = pages + page - row.real;
        std::memset(record, 0, row.real);
        reinterpret_cast<DEV_BROADCAST_HDR*>(record)->dbch_size = DWORD(row.declared);
        if (row.real >= sizeof(DEV_BROADCAST_HDR))
            reinterpret_cast<DEV_BROADCAST_HDR*>(record)->dbch_devicetype = row.type;
        if (row.type == DBT_DEVTYP_PORT) std::memcpy(record + portName, L"COM7", 10);
        SendMessageW(TPTDeviceChangeHandler::Instance().Handle(), WM_DEVICECHANGE,
                     DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record));
    }
    ui::App().ProcessMessages();
    std::vector<size_t> expected;
    for (const Row& row : rows) expected.push_back(row.copied);
    EXPECT_EQ(copied, expected);
    EXPECT_EQ(port, L"COM7");
    VirtualFree(pages, 0, MEM_RELEASE);
}
