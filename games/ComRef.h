#pragma once

#include <utility>

// Holds one reference to a protocol object (IGameQuery, IGameServer); copies
// share the object, the last holder releases it.
template <class Interface> class TComRef {
public:
  TComRef() = default;
  // Takes over a reference the caller already holds (a factory's result).
  static TComRef Adopt(Interface* object) {
    TComRef ref;
    ref.object_ = object;
    return ref;
  }
  TComRef(const TComRef& other) : object_(other.object_) {
    if (object_)
      object_->lpVtbl->AddRef(object_);
  }
  TComRef(TComRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  TComRef& operator=(TComRef other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~TComRef() {
    if (object_)
      object_->lpVtbl->Release(object_);
  }

  Interface* get() const { return object_; }
  Interface* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

private:
  Interface* object_ = nullptr;
};
