// The signature pad: a jQuery container in which the user draws with the
// mouse or a finger (the jSignature plug-in).
//
//   auto* pad = Create<TIWZQJQSignature>(form);
//   ...                                              // in a callback:
//   pad->SaveAsImage("/srv/app/signatures/order-17.png");
//   pad->GetJQSignatureOptions()->ExportToImage(previewImage);
//
// Saving. SaveAsImage(name) records the name on the server (one pending name
// per pad) and asks the browser to post the drawing to the pad's URL of the
// action map ("PostFormData"). The post handler writes only the recorded
// name, once, as a plain file inside that name's folder (canonical path, no
// link followed, no folder created outside it); the browser's "filename"
// field must equal the recorded name. Any other post (no pending save, a
// different or forged name, bad data) writes nothing, calls no event and is
// answered {success:false,error:"..."}; a written file is answered
// {"success":true} (application/json) and then OnFileSaved is called.
// OnFileSaved runs in that post, not in a callback: changes to other controls
// reach the page from the next callback, e.g. OnSaveSuccess with a server
// handler, which the browser calls once the reply is in.
//
// Data. SetData and the image sources of DataToImage are written into the
// page as escaped script string literals: signature data comes from
// browsers and databases.
#pragma once

#include <istream>
#include <memory>
#include <string>

#include "events/func.h"
#include "foundation/delegate.h"
#include "framework/imageinterface.h"
#include "framework/jqcontainer.h"
#include "options/optionrows.h"

namespace zq {

class TIWZQJQCustomSignature;
class THTTPRequest;
class THTTPReply;

#define ZQ_SIGNATURE_DATA_TYPE_VALUES(X)                                      \
  X(jqsdfDefault, "")                                                         \
  X(jqsdfNative, "native")                                                    \
  X(jqsdfBase30, "base30") X(jqsdfSVG, "svg") X(jqsdfSVG_Base64, "svgbase64") \
      X(jqsdfImage, "image") X(jqsdfImageSVG_XML, "image/svg+xml")            \
          X(jqsdfImageSVG_XML_Base64, "image/svg+xml;base64")
ZQ_OPTION_ENUM(TIWZQJQSignatureDataType, ZQ_SIGNATURE_DATA_TYPE_VALUES)
// The texts of the data types ("" for jqsdfDefault).
const std::string& IWZQJQSignatureDataTypeStr(TIWZQJQSignatureDataType AType);

#define ZQ_SIGNATURE_ROWS(X)                                            \
  X(Custom, Width, "width", Integer, 0)                                 \
  X(Integer, Height, "height", 0)                                       \
  X(Integer, SizeRatio, "sizeRatio", 4)                                 \
  X(Color, Color, "color", "#000000")                                   \
  X(Color, BackgroundColor, "background-color", "#ffffff")              \
  X(Color, DecorColor, "decor-color", "#eeeeee")                        \
  X(Integer, LineWidth, "lineWidth", 0)                                 \
  X(Integer, MinFatFingerCompensation, "minFatFingerCompensation", -10) \
  X(JSon, Data, "data", "[]")                                           \
  X(Boolean, UseNativeUndoButton, "useNativeUndoButton", false)         \
  X(Boolean, ReadOnly_, "readOnly", false)

// The pad's options. Width is always "100%" of the control (the setter
// ignores values); Height follows the control's height.
class TIWZQJQSignatureOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQSignatureOptions, TIWZQJSon, ZQ_SIGNATURE_ROWS)
  using TIWZQJSon::TIWZQJSon;

  int GetWidth() { return 0; }
  void SetWidth(int) {}
  // A jQuery container used as the undo button (not owned).
  TIWZQJQContainer* GetUndoControl() const { return FUndoControl; }
  void SetUndoControl(TIWZQJQContainer* AValue) { FUndoControl = AValue; }

  // The control, or none; the checked form raises an invalid cast.
  TIWZQJQCustomSignature* GetJQSignature();

  // ---- client commands (js...: the script; the twin sends it)
  std::string jsClear();
  void Clear();
  std::string jsSetEnable(bool AFlag);
  void SetEnable(bool AFlag);
  // ".jSignature(\"setData\",\"data:...\");": "data:" put in front when the
  // data has none; trimmed; an escaped string literal.
  std::string jsSetData(const std::string& AData);
  // jsSetData's twin (SetData is the Data option's setter: the data the pad
  // starts with).
  void LoadData(const std::string& AData);
  std::string jsGetData(TIWZQJQSignatureDataType AType, bool ACloseLine);
  // Fills an image control (IIWZQJQCustomImageInterface) from signature data
  // of an image type, or from what the pad shows.
  void DataToImage(const std::string& AData, TIWZQJQSignatureDataType AType,
                   TIWZQJSContainer* AImage);
  void ExportToImage(TIWZQJSContainer* AImage);

  ISuperObject GetJSon() override;
  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;

 private:
  TIWZQJQCustomSignature& Control();
  TIWZQJQContainer* FUndoControl = nullptr;
};

// A client function of the pad with a fixed argument list.
class TIWZQSignatureFunc : public TIWZQFunc {
  ZQ_CLASS(TIWZQSignatureFunc, TIWZQFunc)
  TIWZQSignatureFunc(TPersistent* AOwner = nullptr, std::string AArgs = {},
                     std::string APropName = {});
  std::string GetArguments() override { return FArgs; }
  std::string GetScriptDeclaration(bool AForExecute) override;
  std::string GetBaseScript(bool AForExecute) override;
  // The script to execute as a function value (empty without a script).
  std::string HandlerScript();

 private:
  std::string FArgs;
};

using TIWZQSignatureSaveToStreamEvent =
    Delegate<void(TObject* Sender, const std::string& AFileName, std::istream& AStream)>;
using TIWZQSignatureFileSavedEvent = Delegate<void(TObject* Sender, const std::string& AFileName)>;

class TIWZQJQCustomSignature : public TIWZQJQContainer {
  ZQ_CLASS(TIWZQJQCustomSignature, TIWZQJQContainer)
 public:
  explicit TIWZQJQCustomSignature(TComponent* AOwner);
  ~TIWZQJQCustomSignature() override;
  void BeforeDestruction() override;

  TIWZQJQSignatureOptions* GetJQSignatureOptions();
  void SetJQSignatureOptions(TIWZQJQSignatureOptions* AValue);
  virtual const ClassInfo& GetOptionsClass() { return TIWZQJQSignatureOptions::StaticClass(); }
  TIWZQSignatureFunc* GetOnSaveSuccess();
  TIWZQSignatureFunc* GetOnSaveError();
  TIWZQSignatureSaveToStreamEvent OnSaveToStream;
  TIWZQSignatureFileSavedEvent OnFileSaved;

  // Asks the browser to post the drawing for saving under that name (a
  // ".png" name; raises "The file name can't be empty!" and "Image format is
  // not allowed!\r\nAllowed format: PNG"). Belongs in a callback.
  void SaveAsImage(const std::string& AFileName);
  // The name a post may write next (empty when none is pending).
  const std::string& PendingSaveName() const { return FPendingSaveName; }
  // The post URL, registered with the action map on first use.
  std::string GetPostFormUrl();
  const std::string& GetMapID();
  // The post handler (raises on every refused post; the map answers it).
  void UrlGetHandler(const std::string& AAction, TStringList* AParams, THTTPRequest& ARequest,
                     THTTPReply& AResponse);
  std::string GetDocumentationLink() { return "https://willowsystems.github.io/jSignature/"; }

  // ---- overrides
  std::string GetRenderScript() override;
  void GetScriptLinks(TStringList& AList) override;
  void AfterSetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  bool JSonNameQuote() override { return true; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Writes the recorded name once; raises for anything else.
  void DoSaveImage(TStringList* AParams);

 private:
  Owned<TIWZQJSon> FOptions;
  Owned<TIWZQSignatureFunc> FOnSaveSuccess;
  Owned<TIWZQSignatureFunc> FOnSaveError;
  std::string FMapID;
  std::string FPostUrl;
  std::string FPendingSaveName;
};

class TIWZQJQSignature : public TIWZQJQCustomSignature {
  ZQ_CLASS(TIWZQJQSignature, TIWZQJQCustomSignature)
 public:
  using TIWZQJQCustomSignature::TIWZQJQCustomSignature;
  bool IsCssStored() const;
};

}  // namespace zq
