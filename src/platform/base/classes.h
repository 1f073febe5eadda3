// TObject, TPersistent and TComponent: ownership, names, state and free notification.
//
// A component is made with `new T(Owner)`. Its owner frees it (last made, first freed); one
// without an owner is deleted by whoever made it. Deleting an owned component removes it from
// its owner first. A reference from one component to another is a plain pointer, cleared when
// the referenced component goes: its owner tells every component it owns through
// Notification(C, opRemove), and components with another owner (or none) that asked for it
// with FreeNotification are told directly. Overrides of Notification call the inherited one.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/base/liveness.h"
#include "platform/base/set.h"
#include "platform/base/sysutils.h"

namespace vcl {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // The class name for messages, "TComponent" for instance. Descendants that appear in
  // messages override it.
  virtual std::string ClassName() const { return "TObject"; }

  // A token that reads false once this object is destroyed (see liveness.h): taken before
  // calling out to a handler, checked when it returns.
  TAliveToken Alive() const { return FLiveness.Token(); }

 protected:
  // Ends the liveness early: a destructor whose teardown calls out (notifies links, sources,
  // windows) calls it first, so code it reaches stops as it would after the object is gone.
  void EndLiveness() noexcept { FLiveness.End(); }

 private:
  TLiveness FLiveness;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Horizontal alignment of text: fields report theirs, cells and edits draw by it.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

class TPersistent : public TObject {
 public:
  // Copies Source into this object; the base raises EConvertError ("Cannot assign a X to a Y").
  virtual void Assign(TPersistent* Source);
  std::string ClassName() const override { return "TPersistent"; }
};

enum class TOperation { opInsert, opRemove };
using enum TOperation;

enum class TComponentStateItem {
  csLoading,  // properties are being read from a stream; Loaded follows
  csReading,  // the stream reader is setting properties
  csWriting,
  csDestroying,  // the destructor has begun
  csDesigning,   // the component lives in a form designer
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,
  csInline,
  csDesignInstance,
};
using enum TComponentStateItem;
using TComponentState = Set<TComponentStateItem>;

class TBasicAction;

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  std::string ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  // Raises EComponentError when another component of the same owner has that name
  // (compared ignoring case); an empty name is always allowed.
  void SetName(const std::string& Value);
  int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }

  TComponentState ComponentState() const { return FComponentState; }

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;                   // raises EListError outside 0..ComponentCount-1
  TComponent* FindComponent(const std::string& Name) const;  // nil when absent; ignores case

  // Ownership changes. InsertComponent tells this component Notification(C, opInsert).
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, last first.
  void DestroyComponents();

  // Asks to be told, through Notification(this component, opRemove), when AComponent goes.
  // The registration is mutual, so neither side ever keeps a stale entry.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Streaming stand-ins: BeginLoading sets csLoading and csReading on this component and the
  // ones it owns; EndLoading clears csReading, then csLoading, and calls Loaded on each.
  void BeginLoading();
  void EndLoading();
  // Marks the component (and those it owns) as living in a form designer, or not.
  void SetDesigning(bool Value);

  // Action routing: true when the action handled this component as its target.
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);

 protected:
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void Loaded();
  // Marks csDestroying on this component and the ones it owns, and that this one's destructor
  // runs. Descendants call it first in their destructors; the base destructor calls it in any
  // case.
  void Destroying();

 private:
  void InsertItem(TComponent* AComponent);
  void RemoveItem(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void MarkDestroying();

  TComponent* FOwner = nullptr;
  std::string FName;
  int FTag = 0;
  TComponentState FComponentState;
  bool FInDestructor = false;  // this component's destructor has begun
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
};

// An action that can be aimed at components: ExecuteAction on a component asks HandlesTarget
// and then ExecuteTarget.
class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
  std::string ClassName() const override { return "TBasicAction"; }

  virtual bool HandlesTarget(TObject* /*Target*/) { return false; }
  virtual void ExecuteTarget(TObject* /*Target*/) {}
  virtual void UpdateTarget(TObject* /*Target*/) {}

  // Fires OnExecute / OnUpdate when assigned; true when a handler ran.
  virtual bool Execute();
  virtual bool Update();

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }

  const TNotifyEvent& OnExecute() const { return FOnExecute; }
  void SetOnExecute(TNotifyEvent Value) { FOnExecute = std::move(Value); }
  const TNotifyEvent& OnUpdate() const { return FOnUpdate; }
  void SetOnUpdate(TNotifyEvent Value) { FOnUpdate = std::move(Value); }

 private:
  bool FEnabled = true;
  TNotifyEvent FOnExecute;
  TNotifyEvent FOnUpdate;
};

}  // namespace vcl
