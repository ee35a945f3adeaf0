#pragma once

// Work handed to one of the layer's threads. Tasks posted to one thread run
// there one after another, in the order they were posted.

#include <tuple>
#include <type_traits>
#include <utility>

#include "cef/cef_base.h"
#include "cef/cef_types.h"

class CefTask : public virtual CefBase {
 public:
  virtual void Execute() = 0;
};

// Runs the task on the thread; the task keeps a reference until it has run.
// False, releasing the task unrun, before initialisation, after shutdown and
// for a thread that does not exist. Callable from any thread.
bool CefPostTask(CefThreadId thread, CefRefPtr<CefTask> task);
[[nodiscard]] bool CefCurrentlyOn(CefThreadId thread);

namespace cef_detail {

// Reference-counted targets are held by a reference for as long as the task
// lives; anything else by a plain pointer.
template <class C>
using TargetHolder = std::conditional_t<std::is_base_of_v<CefBase, C>, CefRefPtr<C>, C*>;

template <class C, class Method, class... Args>
class RunnableMethod final : public CefTask, public CefCountedObject {
 public:
  template <class... Given>
  RunnableMethod(C* target, Method method, Given&&... args)
      : m_target(target), m_method(method), m_args(std::forward<Given>(args)...) {}

  void Execute() override {
    // A result (SetCookie's bool, for one) is of no use to anybody here.
    std::apply([this](auto&... args) { (void)((*m_target).*m_method)(args...); }, m_args);
  }

 private:
  TargetHolder<C> m_target;
  Method m_method;
  std::tuple<Args...> m_args;  // copies, so the caller's values may go at once
};

}  // namespace cef_detail

// A task that calls target->method(args...) with copies of the arguments.
template <class C, class Method, class... Args>
CefRefPtr<CefTask> NewCefRunnableMethod(C* target, Method method, Args&&... args) {
  return new cef_detail::RunnableMethod<C, Method, std::decay_t<Args>...>(target, method,
                                                                         std::forward<Args>(args)...);
}

template <class C, class Method, class... Args>
CefRefPtr<CefTask> NewCefRunnableMethod(const CefRefPtr<C>& target, Method method, Args&&... args) {
  return NewCefRunnableMethod(target.get(), method, std::forward<Args>(args)...);
}
