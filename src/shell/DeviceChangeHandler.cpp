#include "shell/DeviceChangeHandler.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>

#include <dbt.h>

#include "ui/Application.h"
#include "shell/ShellMessages.h"
#include "ui/Window.h"

namespace {

constexpr wchar_t kReceiverClass[] = L"LumoraDeviceChange";
// Far beyond any broadcast record; a bound on what is copied.
constexpr size_t kMaxBroadcastData = 0x10000;

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
// the broadcast's call; the subscribers run later, so they are given a copy.
void TPTDeviceChangeHandler::Repost(WPARAM event, LPARAM data) {
    LPARAM posted = data;
    auto copy = data_.end();
    if ((event & 0x8000) != 0 && data != 0) {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
        const size_t size =
            std::clamp<size_t>(header->dbch_size, sizeof(DEV_BROADCAST_HDR), kMaxBroadcastData);
        copy = data_.emplace(data_.end(), size);
        std::memcpy(copy->data(), header, size);
        reinterpret_cast<DEV_BROADCAST_HDR*>(copy->data())->dbch_size = DWORD(size);
        posted = reinterpret_cast<LPARAM>(copy->data());
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
