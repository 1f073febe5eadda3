// Liveness: how code that calls out to a handler learns that the handler freed the object it
// was working for, and how a handler survives freeing the object that holds it.
//
// Any handler may free the object that fires it (a control from its OnExit, a data set from
// its AfterPost, a field from its OnValidate, a form from a control's OnEnter), and with it
// everything that object owns. Two rules make that safe:
//
// 1. Call a handler through a copy: CallEvent(FOnChange, this). The std::function held by the
//    object dies with the object; the copy lives on the caller's stack until the handler
//    returns, so the handler's own captures stay valid after `delete Owner; Owner = nullptr;`.
//
// 2. Before calling out, take the token of every object the code goes on to touch, and check
//    it when the call returns:
//
//        auto alive = Alive();          // this object's token (any TObject has one)
//        auto fieldAlive = Field->Alive();
//        CallEvent(FOnValidate, Field);
//        if (!alive || !fieldAlive) return;  // freed meanwhile: touch no member, return
//
//    A token is a weak reference to a flag that the object clears when it is destroyed: at the
//    latest in ~TObject, or first thing in a destructor that calls EndLiveness() because the
//    code it reaches while tearing down must stop as well. Tokens are cheap to copy; an object
//    makes its flag on the first request, so objects nobody watches pay one null pointer.
//
// Take a token before the first call that may run a handler, never after: reading a freed
// object to get its token is the very fault tokens prevent. A function handed another object
// (a field, a new data source, a form) takes that object's token too.
//
// 3. When several parties must all be told (every link of a source, a state change and then
//    the change of the record), tell each even when one raises, and pass the first error on
//    once the object is whole again: TFirstError collects it.
//
// Destructors never throw: what a handler raises while its object is being destroyed is
// dropped where the destruction calls out (a destructor has no caller to tell).
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <utility>

namespace vcl {

// A weak reference to an object's liveness flag: true while the object lives.
class TAliveToken {
 public:
  TAliveToken() = default;  // the token of no object: always false
  explicit operator bool() const noexcept { return FFlag && *FFlag; }

 private:
  friend class TLiveness;
  explicit TAliveToken(std::shared_ptr<const bool> Flag) : FFlag(std::move(Flag)) {}
  std::shared_ptr<const bool> FFlag;
};

// The flag itself, a member of the object it speaks for (TObject holds one).
class TLiveness {
 public:
  TLiveness() = default;
  TLiveness(const TLiveness&) = delete;
  TLiveness& operator=(const TLiveness&) = delete;
  ~TLiveness() { End(); }

  TAliveToken Token() const {
    if (!FFlag) FFlag = std::make_shared<bool>(!FEnded);
    return TAliveToken(FFlag);
  }
  // Every token taken so far, and every one taken later, reads false.
  void End() noexcept {
    FEnded = true;
    if (FFlag) *FFlag = false;
  }
  bool Ended() const noexcept { return FEnded; }

 private:
  mutable std::shared_ptr<bool> FFlag;
  bool FEnded = false;
};

// Calls Handler, when assigned, through a copy of it (rule 1 above), and returns its result
// (a default value when it is not assigned).
template <typename Signature, typename... Args>
typename std::function<Signature>::result_type CallEvent(const std::function<Signature>& Handler,
                                                         Args&&... A) {
  using Result = typename std::function<Signature>::result_type;
  if (!Handler) return Result();
  std::function<Signature> copy(Handler);
  return copy(std::forward<Args>(A)...);
}

// Runs steps that must all happen and keeps the first error they raise, to pass it on when
// the last one ran:
//
//     TFirstError error;
//     error.Run([&] { SetState(dsBrowse); });
//     if (!alive) return error.Raise();  // gone: only the error passes on
//     error.Run([&] { DataEvent(deDataSetChange); });
//     error.Raise();
class TFirstError {
 public:
  template <typename Step>
  void Run(Step&& S) {
    try {
      S();
    } catch (...) {
      if (!FError) FError = std::current_exception();
    }
  }
  bool Failed() const noexcept { return FError != nullptr; }
  // Raises the first error, if any; does nothing otherwise.
  void Raise() {
    if (FError) std::rethrow_exception(FError);
  }

 private:
  std::exception_ptr FError;
};

}  // namespace vcl
