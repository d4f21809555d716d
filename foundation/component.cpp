#include "foundation/component.h"

#include <algorithm>
#include <cctype>

#include "foundation/asciicase.h"
#include "foundation/exception.h"
#include "foundation/format.h"
#include "foundation/properties.h"

namespace zq {

bool IsValidIdent(std::string_view Ident) {
  if (Ident.empty()) return false;
  auto alpha = [](unsigned char c) { return std::isalpha(c) || c == '_'; };
  if (!alpha(static_cast<unsigned char>(Ident[0]))) return false;
  return std::all_of(Ident.begin() + 1, Ident.end(),
                     [&](char c) { return alpha(static_cast<unsigned char>(c)) || std::isdigit(static_cast<unsigned char>(c)); });
}

ZQ_IMPLEMENT_CLASS(TComponent) {
  c.Prop("Name", &TComponent::GetName, &TComponent::SetName).Stored(false);
  c.Prop("Tag", &TComponent::GetTag, &TComponent::SetTag);
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Normally done by BeforeDestruction (zq::Free); a plain delete gets here.
  if (!FTornDown) TComponent::BeforeDestruction();
}

void TComponent::BeforeDestruction() {
  if (FTornDown) return;
  FTornDown = true;
  Destroying();
  ReleaseFreeNotifications();
  DestroyComponents();
  // Leaves the owner's list without being freed a second time.
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::ReleaseFreeNotifications() {
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    auto& theirs = other->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, opRemove);
  }
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    Owned<TComponent> child = std::move(FComponents.back());
    FComponents.pop_back();
    child->FOwner = nullptr;
    Notification(child.get(), opRemove);
    child.reset();
  }
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(Format("List index out of bounds (%d)", Index));
  return FComponents[static_cast<std::size_t>(Index)].get();
}

int TComponent::GetComponentIndex() const {
  if (!FOwner) return -1;
  const auto& list = FOwner->FComponents;
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].get() == this) return static_cast<int>(i);
  return -1;
}

void TComponent::SetComponentIndex(int Value) {
  if (!FOwner) return;
  auto& list = FOwner->FComponents;
  int cur = GetComponentIndex();
  int n = static_cast<int>(list.size());
  Value = std::clamp(Value, 0, n - 1);
  if (cur < 0 || cur == Value) return;
  Owned<TComponent> me = std::move(list[static_cast<std::size_t>(cur)]);
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, std::move(me));
}

TComponent* TComponent::FindComponent(std::string_view AName) const {
  if (AName.empty()) return nullptr;
  for (const auto& c : FComponents)
    if (SameTextAscii(c->FName, AName)) return c.get();
  return nullptr;
}

void TComponent::SetName(const std::string& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(Format("'%s' is not a valid component name", NewName));
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  ChangeName(NewName);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName) {
  if (!AComponent || NewName.empty() || SameTextAscii(CurName, NewName)) return;
  TComponent* found = FindComponent(NewName);
  if (found && found != AComponent) throw EComponentError(Format("A component named %s already exists", NewName));
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  for (TComponent* o = this; o; o = o->FOwner)
    if (o == AComponent) throw EComponentError("A component cannot own itself or its owner");
  ValidateRename(AComponent, std::string(), AComponent->FName);
  if (AComponent->FOwner) {
    // Take it over from its current owner; it is never unowned in between
    // for longer than this call.
    AComponent->FOwner->RemoveComponent(AComponent);
  }
  Insert(AComponent);
  if (HasState(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.emplace_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  for (auto it = FComponents.begin(); it != FComponents.end(); ++it)
    if (it->get() == AComponent) {
      (void)it->release();  // the caller (or the component's own destruction) owns it now
      FComponents.erase(it);
      break;
    }
  AComponent->FOwner = nullptr;
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
  // A handler may free components: walk by index from the end, re-checking.
  for (int i = ComponentCount() - 1; i >= 0; --i) {
    if (i >= ComponentCount()) {
      i = ComponentCount();
      continue;
    }
    FComponents[static_cast<std::size_t>(i)]->Notification(AComponent, Operation);
  }
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(AComponent);
    AComponent->FreeNotification(this);
  }
  FComponentState |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
  if (it == FFreeNotifies.end()) return;
  FFreeNotifies.erase(it);
  AComponent->RemoveFreeNotification(this);
}

void TComponent::SetComponentState(TComponentState flags, bool on) {
  if (on)
    FComponentState |= flags;
  else
    FComponentState &= ~flags;
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  SetComponentState(csDesigning, Value);
  if (SetChildren)
    for (auto& c : FComponents) c->SetDesigning(Value, true);
}

void TComponent::Destroying() {
  if (HasState(csDestroying)) return;
  FComponentState |= csDestroying;
  for (auto& c : FComponents) c->Destroying();
}

void TComponent::BeginLoading() {
  FComponentState |= csLoading;
  for (auto& c : FComponents) c->BeginLoading();
}

void TComponent::CollectLoading(std::vector<TComponent*>& out) {
  if (HasState(csLoading)) out.push_back(this);
  for (auto& c : FComponents) c->CollectLoading(out);
}

void TComponent::EndLoading() {
  std::vector<TComponent*> loading;
  CollectLoading(loading);
  for (TComponent* c : loading) c->Loaded();
}

void TComponent::Loaded() { FComponentState &= ~csLoading; }

}  // namespace zq
