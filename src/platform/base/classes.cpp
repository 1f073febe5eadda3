#include "platform/base/classes.h"

#include <algorithm>

namespace vcl {

void TPersistent::Assign(TPersistent* Source) {
  const std::string from = Source ? Source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + from + " to a " + ClassName());
}

// ---------------------------------------------------------------------------------------------
// TComponent
// ---------------------------------------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell every component that asked (and is not told through our common owner) that we go.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    auto& theirs = other->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    if (!(FOwner && other->FOwner == FOwner)) other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::Destroying() {
  FInDestructor = true;
  MarkDestroying();
}

void TComponent::MarkDestroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* c : FComponents) c->MarkDestroying();
}

void TComponent::SetName(const std::string& Value) {
  if (Value == FName) return;
  if (!Value.empty() && FOwner) {
    TComponent* other = FOwner->FindComponent(Value);
    if (other && other != this) throw EComponentError("A component named " + Value + " already exists");
  }
  FName = Value;
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FComponents[static_cast<size_t>(Index)];
}

TComponent* TComponent::FindComponent(const std::string& Name) const {
  if (Name.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, Name)) return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
    throw EComponentError("A component named " + AComponent->FName + " already exists");
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  InsertItem(AComponent);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  Notification(AComponent, opRemove);
  RemoveItem(AComponent);
}

void TComponent::InsertItem(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::RemoveItem(TComponent* AComponent) {
  FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), AComponent), FComponents.end());
  AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* c = FComponents.back();
    // One whose destructor is running already (it is telling others that it goes, and one of
    // them frees this owner) finishes on its own, without an owner; the others are freed, and
    // each one's destructor removes it from this owner (and tells the others).
    if (c->FInDestructor)
      RemoveItem(c);
    else
      delete c;
  }
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  auto& theirs = AComponent->FFreeNotifies;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent),
                      FFreeNotifies.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // Pass the news on to the components this one owns. The list may shrink meanwhile.
  std::vector<TComponent*> owned(FComponents);
  for (TComponent* c : owned) {
    if (std::find(FComponents.begin(), FComponents.end(), c) == FComponents.end()) continue;
    if (c != AComponent || Operation == opInsert) c->Notification(AComponent, Operation);
  }
}

void TComponent::BeginLoading() {
  FComponentState.Include(csLoading).Include(csReading);
  for (TComponent* c : FComponents) c->BeginLoading();
}

void TComponent::EndLoading() {
  FComponentState.Exclude(csReading);
  for (TComponent* c : FComponents) c->EndLoading();
  FComponentState.Exclude(csLoading);
  Loaded();
}

void TComponent::Loaded() {
  FComponentState.Exclude(csLoading);
}

void TComponent::SetDesigning(bool Value) {
  if (Value)
    FComponentState.Include(csDesigning);
  else
    FComponentState.Exclude(csDesigning);
  for (TComponent* c : FComponents) c->SetDesigning(Value);
}

bool TComponent::ExecuteAction(TBasicAction* Action) {
  if (Action && Action->HandlesTarget(this)) {
    Action->ExecuteTarget(this);
    return true;
  }
  return false;
}

bool TComponent::UpdateAction(TBasicAction* Action) {
  if (Action && Action->HandlesTarget(this)) {
    Action->UpdateTarget(this);
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// TBasicAction
// ---------------------------------------------------------------------------------------------

bool TBasicAction::Execute() {
  if (FOnExecute) {
    FOnExecute(this);
    return true;
  }
  return false;
}

bool TBasicAction::Update() {
  if (FOnUpdate) {
    FOnUpdate(this);
    return true;
  }
  return false;
}

}  // namespace vcl
