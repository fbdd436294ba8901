// The one base of every COM object of the program: QueryInterface, AddRef and Release for a list
// of interfaces, with an atomic count that frees the object when it reaches zero.
#pragma once

#include <atomic>
#include <utility>

#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

// The number of our COM objects alive in the process, so that tests can see that a drag or a
// copy leaves none behind.
class ComObjectCounter {
  public:
    static long Live() noexcept { return live_.load(); }

  protected:
    ComObjectCounter() noexcept { ++live_; }
    ~ComObjectCounter() { --live_; }

  private:
    static inline std::atomic<long> live_{0};
};

// Derive as `class TFoo final : public ComObject<IFoo, IBar>` and create with MakeComObject.
// QueryInterface answers IUnknown and exactly the listed interfaces (not their bases).
template <class... Interfaces>
class ComObject : public Interfaces..., private ComObjectCounter {
    static_assert(sizeof...(Interfaces) > 0, "a COM object implements at least one interface");

  public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(static_cast<First*>(this));
        } else {
            ((*object == nullptr && iid == __uuidof(Interfaces)
                  ? void(*object = static_cast<Interfaces*>(this))
                  : void()),
             ...);
        }
        if (*object == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

  protected:
    // The creator holds the first reference.
    ComObject() noexcept = default;
    virtual ~ComObject() = default;

  private:
    template <class Head, class...>
    struct FirstOf {
        using Type = Head;
    };
    using First = typename FirstOf<Interfaces...>::Type;

    std::atomic<ULONG> references_{1};
};

// A new object holding its first reference in the returned pointer. (MinGW's ComPtr::Attach adds
// a reference of its own, unlike Microsoft's, so the pointer is adopted through its slot.)
template <class T, class... Args>
Microsoft::WRL::ComPtr<T> MakeComObject(Args&&... args) {
    Microsoft::WRL::ComPtr<T> object;
    *object.ReleaseAndGetAddressOf() = new T(std::forward<Args>(args)...);
    return object;
}
