// The process-wide receiver of the system's device broadcasts (media and drives arriving and
// leaving). It passes each broadcast on to its subscribers after the broadcast's own call.
#pragma once

#include <list>
#include <memory>
#include <vector>

#include <windows.h>

class TPTDeviceChangeHandler;

// A broadcast as the subscribers hear it: the event code (DBT_...) and its data.
struct TDeviceChangeMessage {
    WPARAM event = 0;
    LPARAM data = 0;
};

// A subscriber: code bound to an object. Two subscribers are the same when both match.
struct TDeviceChangeMethod {
    using Code = void (*)(void* object, TPTDeviceChangeHandler& sender,
                          const TDeviceChangeMessage& message);
    Code code = nullptr;
    void* object = nullptr;

    friend bool operator==(const TDeviceChangeMethod&, const TDeviceChangeMethod&) = default;
};

// Binds a member function to its object: DeviceChangeMethod<&TPTShellTree::DeviceChanged>(this).
template <auto Method, class T>
TDeviceChangeMethod DeviceChangeMethod(T* object) {
    return {[](void* self, TPTDeviceChangeHandler& sender, const TDeviceChangeMessage& message) {
                (static_cast<T*>(self)->*Method)(sender, message);
            },
            object};
}

class TPTDeviceChangeHandler {
  public:
    // The single instance, created on first use (on the user-interface thread), freed at
    // program end.
    static TPTDeviceChangeHandler& Instance();
    ~TPTDeviceChangeHandler();
    TPTDeviceChangeHandler(const TPTDeviceChangeHandler&) = delete;
    TPTDeviceChangeHandler& operator=(const TPTDeviceChangeHandler&) = delete;

    // Subscribers are called in order of subscription. One added while a broadcast is being
    // passed on hears the next broadcast; one removed then is not called any more.
    void AddHandler(TDeviceChangeMethod method);
    // Removes the first subscriber equal to method; nothing when there is none.
    void RemoveHandler(TDeviceChangeMethod method);

    // The hidden top-level window that receives the broadcasts.
    HWND Handle() const noexcept;

  private:
    class ReceiverWindow;

    TPTDeviceChangeHandler();
    void Repost(WPARAM event, LPARAM data);
    void PassOn(WPARAM event, LPARAM data);
    void CallSubscribers(const TDeviceChangeMessage& message);

    std::unique_ptr<ReceiverWindow> window_;
    // Removed while passing on: a null code, swept away when the outermost pass ends.
    std::vector<TDeviceChangeMethod> handlers_;
    int passing_ = 0;
    // Copies of broadcast data waiting for their re-posted message.
    std::list<std::vector<unsigned char>> data_;
};

// A subscription to the receiver that ends with the object.
class TDeviceChangeSubscription {
  public:
    TDeviceChangeSubscription() = default;
    explicit TDeviceChangeSubscription(TDeviceChangeMethod method);
    ~TDeviceChangeSubscription();
    TDeviceChangeSubscription(TDeviceChangeSubscription&& other) noexcept;
    TDeviceChangeSubscription& operator=(TDeviceChangeSubscription&& other) noexcept;

  private:
    TDeviceChangeMethod method_;
};
