#pragma once
// FObject: the reference count and class-name queries shared by the SDK layer's
// implementation classes. An object starts with one reference (its creator's) and
// deletes itself when the last one is released.

#include <atomic>
#include <cstring>

#include "vst3_base.h"

namespace vst3 {

class FObject {
 public:
  FObject() = default;
  virtual ~FObject() = default;
  FObject(const FObject&) = delete;
  FObject& operator=(const FObject&) = delete;

  uint32 AddReference() { return refCount_.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32 ReleaseReference() {
    const uint32 left = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
  }
  uint32 ReferenceCount() const { return refCount_.load(std::memory_order_relaxed); }

  // Class-name queries: the most derived name, and whether a name is this class or
  // one of its bases. Each class that takes part overrides both.
  virtual const char* ClassName() const { return "FObject"; }
  virtual bool IsTypeOf(const char* name) const { return name != nullptr && std::strcmp(name, "FObject") == 0; }

 private:
  std::atomic<uint32> refCount_{1};
};

// Writes a reference-counted interface pointer into *obj, adding the reference a
// successful query owes its caller.
template <typename Interface, typename Object>
tresult AnswerQuery(Object* object, void** obj) {
  Interface* answer = object;
  answer->addRef();
  *obj = answer;
  return kResultOk;
}

// Holds one reference on an interface pointer and releases it when replaced or
// destroyed.
template <typename Interface>
class SharedInterface {
 public:
  SharedInterface() = default;
  ~SharedInterface() { Reset(nullptr); }
  SharedInterface(const SharedInterface&) = delete;
  SharedInterface& operator=(const SharedInterface&) = delete;

  void Reset(Interface* p) {
    if (p != nullptr) p->addRef();
    if (ptr_ != nullptr) ptr_->release();
    ptr_ = p;
  }
  // Takes over a reference the caller already owns (e.g. from queryInterface).
  void Adopt(Interface* p) {
    if (ptr_ != nullptr) ptr_->release();
    ptr_ = p;
  }
  Interface* Get() const { return ptr_; }
  Interface* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  Interface* ptr_ = nullptr;
};

// Asks an object for an interface; the result carries one reference (or is empty).
template <typename Interface>
Interface* QueryFrom(FUnknown* object) {
  void* answer = nullptr;
  if (object == nullptr || object->queryInterface(Interface::iid.bytes, &answer) != kResultOk) return nullptr;
  return static_cast<Interface*>(answer);
}

}  // namespace vst3
