// TComponent: named objects in an ownership tree.
//
// An owner owns its components: creating a component with an owner puts it in
// the owner's list, and the owner frees it when it is itself freed. Freeing a
// component (zq::Free, or `delete`) takes it out of its owner's list. Anyone
// holding a reference to a component it does not own asks for a free
// notification (FreeNotification) and clears the reference in its
// Notification(AComponent, opRemove).
//
// Loading is explicit: BeginLoading marks the tree as loading, EndLoading
// calls Loaded() on every component that was loading (owner first), which
// clears the flag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/object.h"

namespace zq {

enum TOperation { opInsert, opRemove };

// ComponentState flags.
enum TComponentStateFlag : unsigned {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csAncestor = 1u << 5,
  csUpdating = 1u << 6,
  csFixups = 1u << 7,
  csFreeNotification = 1u << 8,
  csInline = 1u << 9,
  csDesignInstance = 1u << 10,
};
using TComponentState = unsigned;

class TComponent : public TPersistent {
  ZQ_CLASS(TComponent, TPersistent)

  explicit TComponent(TComponent* AOwner = nullptr);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  TPersistent* GetOwner() const override { return FOwner; }

  const std::string& GetName() const { return FName; }
  // A valid identifier, unique among the owner's components (case-insensitive);
  // an empty name is always allowed.
  virtual void SetName(const std::string& NewName);
  std::intptr_t GetTag() const { return FTag; }
  void SetTag(std::intptr_t v) { FTag = v; }

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;
  int GetComponentIndex() const;
  void SetComponentIndex(int Value);
  // The owned component of that name (case-insensitive), or null.
  TComponent* FindComponent(std::string_view AName) const;

  // Moves a component into (or out of) this component's ownership.
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();

  TComponentState ComponentState() const { return FComponentState; }
  bool HasState(TComponentState flags) const { return (FComponentState & flags) != 0; }
  void SetDesigning(bool Value, bool SetChildren = true);
  void BeginLoading();
  void EndLoading();
  // Marks this component and its owned components as being destroyed.
  void Destroying();

  // AComponent will call this->Notification(AComponent, opRemove) when it is
  // destroyed (and the other way round).
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  std::string GetNamePath() const override { return FName; }
  void BeforeDestruction() override;

 protected:
  // Another component is inserted into or removed from this one's owner (or
  // this one), or a component this one asked to be notified about is being
  // freed. The base forwards to the owned components.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void Loaded();
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName);
  virtual void ChangeName(const std::string& NewName) { FName = NewName; }
  void SetComponentState(TComponentState flags, bool on);

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void CollectLoading(std::vector<TComponent*>& out);
  void ReleaseFreeNotifications();

  TComponent* FOwner = nullptr;
  std::string FName;
  std::intptr_t FTag = 0;
  std::vector<Owned<TComponent>> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState = 0;
  bool FTornDown = false;
};

bool IsValidIdent(std::string_view Ident);

}  // namespace zq
