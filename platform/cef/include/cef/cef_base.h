#pragma once

// Reference counting shared by every object of the browser layer, the
// intrusive pointer that holds them, and the lock the client guards its
// fields with.
//
// Every interface inherits CefBase virtually, so that one class can implement
// many interfaces with a single count.

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <type_traits>
#include <utility>

class CefBase {
 public:
  virtual ~CefBase() = default;

  // Each returns the count after the change; Release deletes the object at 0.
  virtual int AddRef() = 0;
  virtual int Release() = 0;
  virtual int GetRefCt() = 0;
};

// Holds one reference. Changing the count is interlocked, but one pointer
// variable must not be used from two threads at once.
template <class T>
class CefRefPtr {
 public:
  CefRefPtr() = default;
  CefRefPtr(std::nullptr_t) {}
  CefRefPtr(T* object) : m_object(object) { Acquire(); }
  CefRefPtr(const CefRefPtr& other) : m_object(other.m_object) { Acquire(); }
  CefRefPtr(CefRefPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  CefRefPtr(const CefRefPtr<U>& other) : m_object(other.get()) {
    Acquire();
  }
  ~CefRefPtr() { Drop(); }

  CefRefPtr& operator=(const CefRefPtr& other) { return Assign(other.m_object); }
  CefRefPtr& operator=(CefRefPtr&& other) noexcept {
    if (this != &other) {
      Drop();
      m_object = std::exchange(other.m_object, nullptr);
    }
    return *this;
  }
  CefRefPtr& operator=(T* object) { return Assign(object); }
  CefRefPtr& operator=(std::nullptr_t) {
    Drop();
    return *this;
  }

  [[nodiscard]] T* get() const { return m_object; }
  T* operator->() const { return m_object; }
  T& operator*() const { return *m_object; }
  explicit operator bool() const { return m_object != nullptr; }

 private:
  void Acquire() {
    if (m_object) m_object->AddRef();
  }
  // Clears the member before releasing: the release may delete an object
  // whose destructor reaches this pointer again.
  void Drop() {
    if (T* object = std::exchange(m_object, nullptr)) object->Release();
  }
  CefRefPtr& Assign(T* object) {
    if (object) object->AddRef();  // first, so that self-assignment keeps the object
    T* previous = std::exchange(m_object, object);
    if (previous) previous->Release();
    return *this;
  }

  T* m_object = nullptr;
};

template <class T, class U>
bool operator==(const CefRefPtr<T>& a, const CefRefPtr<U>& b) {
  return a.get() == b.get();
}
template <class T, class U>
bool operator!=(const CefRefPtr<T>& a, const CefRefPtr<U>& b) {
  return a.get() != b.get();
}
template <class T>
bool operator==(const CefRefPtr<T>& a, std::nullptr_t) {
  return a.get() == nullptr;
}
template <class T>
bool operator==(std::nullptr_t, const CefRefPtr<T>& a) {
  return a.get() == nullptr;
}
template <class T>
bool operator!=(const CefRefPtr<T>& a, std::nullptr_t) {
  return a.get() != nullptr;
}
template <class T>
bool operator!=(std::nullptr_t, const CefRefPtr<T>& a) {
  return a.get() != nullptr;
}

// The count of the layer's own objects. Inherit it beside the interfaces the
// object implements; it supplies the one final AddRef/Release/GetRefCt.
class CefCountedObject : public virtual CefBase {
 public:
  int AddRef() override { return ++m_count; }
  int Release() override {
    const int count = --m_count;
    if (count == 0) delete this;
    return count;
  }
  int GetRefCt() override { return m_count; }

 protected:
  CefCountedObject();
  ~CefCountedObject() override;

 private:
  std::atomic<int> m_count{0};
};

// A recursive lock over a Win32 critical section.
class CefCriticalSection final {
 public:
  CefCriticalSection() { InitializeCriticalSection(&m_section); }
  ~CefCriticalSection() { DeleteCriticalSection(&m_section); }
  CefCriticalSection(const CefCriticalSection&) = delete;
  CefCriticalSection& operator=(const CefCriticalSection&) = delete;

  void Lock() { EnterCriticalSection(&m_section); }
  void Unlock() { LeaveCriticalSection(&m_section); }

 private:
  CRITICAL_SECTION m_section;
};
