// Browser parameters: the named values an event function asks the browser to
// send with its callback. Each pairs the name the server reads the value
// under (ServerName, the collection's key) with the script expression that
// computes it in the browser (BrowserScript); with SendJSon the value is sent
// as JSON.stringify of the expression.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/zqclasses.h"

namespace zq {

class TIWZQFunc;

class TIWZQBrowserParam : public TZQIndexedCollectionItem {
  ZQ_CLASS(TIWZQBrowserParam, TZQIndexedCollectionItem)
  explicit TIWZQBrowserParam(TCollection* Collection = nullptr) : TZQIndexedCollectionItem(Collection) {}
  // Gives a new parameter its default name ("ServerName" + the first free number).
  void Initialize() override;

  const std::string& GetServerName() const { return FServerName; }
  // Ignored when equal to the current name; the trimmed name must not be
  // empty ("ServerName cannot be empty!") nor hold "=" ("ServerName cannot
  // have the symbol \"=\"!"); another item's name is refused by the collection.
  void SetServerName(const std::string& AValue);
  const std::string& GetBrowserScript() const { return FBrowserScript; }
  void SetBrowserScript(const std::string& AValue) { FBrowserScript = AValue; }
  bool GetSendJSon() const { return FFlags & 1u; }
  void SetSendJSon(bool AValue) { FFlags = AValue ? (FFlags | 1u) : (FFlags & ~1u); }

  std::string GetDisplayName() const override { return FServerName; }
  void Assign(const TPersistent* Source) override;

 private:
  friend class TIWZQBrowserParams;
  std::string FServerName;
  std::string FBrowserScript;
  std::uint8_t FFlags = 0;
};

// Keyed by server name (case-insensitive, as the server reads request
// parameters); a duplicate name is an error. Every addition and removal
// tells the owning function (CheckGenerateAjaxResponse).
class TIWZQBrowserParams : public TZQIndexedCollection {
  ZQ_CLASS(TIWZQBrowserParams, TZQIndexedCollection)
  explicit TIWZQBrowserParams(TIWZQFunc* AFunc = nullptr);

  TIWZQBrowserParam* Add() { return static_cast<TIWZQBrowserParam*>(TCollection::Add()); }
  TIWZQBrowserParam* Insert(int Index) { return static_cast<TIWZQBrowserParam*>(TCollection::Insert(Index)); }
  TIWZQBrowserParam* GetItem(int Index) const override {
    return static_cast<TIWZQBrowserParam*>(TZQIndexedCollection::GetItem(Index));
  }
  TIWZQBrowserParam* Items(int Index) const { return GetItem(Index); }
  TIWZQBrowserParam* GetItemByName(std::string_view AName) const;
  // A new parameter with those settings.
  TIWZQBrowserParam* AddParam(const std::string& AServerName, const std::string& ABrowserScript,
                              bool ASendJSon = false);
  TIWZQFunc* GetFunc() const { return FFunc; }

  bool KeyCaseSensitive(int) const override { return false; }
  TZQDuplicates KeyDuplicates(int) const override { return zdError; }
  Variant KeyOfItem(int IdxNo, const TCollectionItem* Item) const override;

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  friend class TIWZQBrowserParam;
  std::string NewServerName() const;
  TIWZQFunc* FFunc;
};

}  // namespace zq
