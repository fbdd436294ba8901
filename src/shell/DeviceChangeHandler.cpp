#include "shell/DeviceChangeHandler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <utility>

#include <dbt.h>

#include "ui/Application.h"
#include "shell/ShellMessages.h"
#include "ui/Window.h"

namespace {

constexpr wchar_t kReceiverClass[] = L"LumoraDeviceChange";
// Far beyond any name or data a broadcast record carries; a bound on what is copied of one.
constexpr size_t kMaxBroadcastData = 0x10000;

struct RecordSize {
    size_t least, most;
};

// What a record of each type takes: its fixed part, and where it ends in a name or data of its
// own, that too. A type we do not know is passed on as its header alone.
RecordSize RecordSizeOf(DWORD deviceType) {
    const auto fixed = [](size_t size) { return RecordSize{size, size}; };
    switch (deviceType) {
        case DBT_DEVTYP_OEM:
            return fixed(sizeof(DEV_BROADCAST_OEM));
        case DBT_DEVTYP_DEVNODE:
            return fixed(sizeof(DEV_BROADCAST_DEVNODE));
        case DBT_DEVTYP_VOLUME:
            return fixed(sizeof(DEV_BROADCAST_VOLUME));
        case DBT_DEVTYP_NET:
            return fixed(sizeof(DEV_BROADCAST_NET));
        case DBT_DEVTYP_PORT:
            return {offsetof(DEV_BROADCAST_PORT_W, dbcp_name) + sizeof(wchar_t), kMaxBroadcastData};
        case DBT_DEVTYP_DEVICEINTERFACE:
            return {offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + sizeof(wchar_t),
                    kMaxBroadcastData};
        case DBT_DEVTYP_HANDLE:
            return {offsetof(DEV_BROADCAST_HANDLE, dbch_data), kMaxBroadcastData};
        default:
            return fixed(sizeof(DEV_BROADCAST_HDR));
    }
}

// How many bytes of a record to copy: never more than its header says nor than its type takes;
// 0 when it is too short to be read as its type at all.
size_t CopiedSize(const DEV_BROADCAST_HDR* header) {
    const size_t declared = header->dbch_size;  // the first field: read before any other
    if (declared < sizeof(DEV_BROADCAST_HDR)) return 0;
    const RecordSize size = RecordSizeOf(header->dbch_devicetype);
    return declared < size.least ? 0 : std::min(declared, size.most);
}

}  // namespace

// Top-level, not message-only: message-only windows hear no broadcasts.
class TPTDeviceChangeHandler::ReceiverWindow : public ui::Window {
  public:
    explicit ReceiverWindow(TPTDeviceChangeHandler& owner) : owner_(owner) {
        RegisterClass(kReceiverClass, 0, nullptr);
        CreateParams params;
        params.className = kReceiverClass;
        params.style = WS_POPUP;
        params.exStyle = WS_EX_TOOLWINDOW;
        Create(nullptr, params);
    }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_DEVICECHANGE) {
            owner_.Repost(wParam, lParam);
        } else if (msg == shell::kMsgDeviceChange) {
            owner_.PassOn(wParam, lParam);
            return 0;
        }
        return DefaultHandler(msg, wParam, lParam);
    }

  private:
    TPTDeviceChangeHandler& owner_;
};

TPTDeviceChangeHandler& TPTDeviceChangeHandler::Instance() {
    static TPTDeviceChangeHandler instance;
    return instance;
}

TPTDeviceChangeHandler::TPTDeviceChangeHandler()
    : window_(std::make_unique<ReceiverWindow>(*this)) {}

TPTDeviceChangeHandler::~TPTDeviceChangeHandler() = default;

HWND TPTDeviceChangeHandler::Handle() const noexcept { return window_->Handle(); }

void TPTDeviceChangeHandler::AddHandler(TDeviceChangeMethod method) {
    if (method.code != nullptr) handlers_.push_back(method);
}

void TPTDeviceChangeHandler::RemoveHandler(TDeviceChangeMethod method) {
    if (method.code == nullptr) return;
    auto found = std::find(handlers_.begin(), handlers_.end(), method);
    if (found == handlers_.end()) return;
    // While passing on, positions must stay where they are.
    if (passing_ > 0) {
        found->code = nullptr;
    } else {
        handlers_.erase(found);
    }
}

// The data of an event with bit 0x8000 set is a DEV_BROADCAST_HDR that lives only as long as
// the broadcast's call; the subscribers run later, so they are given a copy. A record too short
// for its type reaches them as no data at all.
void TPTDeviceChangeHandler::Repost(WPARAM event, LPARAM data) {
    LPARAM posted = data;
    auto copy = data_.end();
    if ((event & 0x8000) != 0 && data != 0) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
        const size_t size = CopiedSize(header);
        posted = 0;
        if (size > 0) {
            copy = data_.emplace(data_.end(), size);
            std::memcpy(copy->data(), header, size);
            reinterpret_cast<DEV_BROADCAST_HDR*>(copy->data())->dbch_size = DWORD(size);
            posted = reinterpret_cast<LPARAM>(copy->data());
        }
    }
    if (!PostMessageW(Handle(), shell::kMsgDeviceChange, event, posted) && copy != data_.end())
        data_.erase(copy);
}

void TPTDeviceChangeHandler::PassOn(WPARAM event, LPARAM data) {
    auto copy = std::find_if(data_.begin(), data_.end(), [data](const auto& bytes) {
        return reinterpret_cast<LPARAM>(bytes.data()) == data;
    });
    // Erased however the subscribers end; other elements of the list are left in place, so a
    // pass nested inside a subscriber's modal loop does not disturb this one.
    struct Release {
        std::list<std::vector<unsigned char>>& list;
        std::list<std::vector<unsigned char>>::iterator copy;
        ~Release() {
            if (copy != list.end()) list.erase(copy);
        }
    } release{data_, copy};
    CallSubscribers(TDeviceChangeMessage{event, data});
}

void TPTDeviceChangeHandler::CallSubscribers(const TDeviceChangeMessage& message) {
    struct Pass {
        TPTDeviceChangeHandler& self;
        explicit Pass(TPTDeviceChangeHandler& handler) : self(handler) { ++self.passing_; }
        ~Pass() {
            if (--self.passing_ == 0)
                std::erase_if(self.handlers_, [](const auto& h) { return h.code == nullptr; });
        }
    } pass(*this);
    // Those added meanwhile wait for the next broadcast.
    const size_t count = handlers_.size();
    for (size_t i = 0; i < count; ++i) {
        const TDeviceChangeMethod handler = handlers_[i];
        if (handler.code == nullptr) continue;
        try {
            handler.code(handler.object, *this, message);
        } catch (const std::exception&) {
            // An ordinary error is shown and the others still hear the broadcast; anything
            // else ends the pass.
            ui::App().HandleCurrentException();
        }
    }
}

TDeviceChangeSubscription::TDeviceChangeSubscription(TDeviceChangeMethod method) : method_(method) {
    TPTDeviceChangeHandler::Instance().AddHandler(method_);
}

TDeviceChangeSubscription::~TDeviceChangeSubscription() {
    if (method_.code != nullptr) TPTDeviceChangeHandler::Instance().RemoveHandler(method_);
}

TDeviceChangeSubscription::TDeviceChangeSubscription(TDeviceChangeSubscription&& other) noexcept
    : method_(std::exchange(other.method_, {})) {}

TDeviceChangeSubscription& TDeviceChangeSubscription::operator=(
    TDeviceChangeSubscription&& other) noexcept {
    if (this != &other) {
        if (method_.code != nullptr) TPTDeviceChangeHandler::Instance().RemoveHandler(method_);
        method_ = std::exchange(other.method_, {});
    }
    return *this;
}
