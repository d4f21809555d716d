// The file upload control: an upload button (and drop area) of the
// "qq.FileUploader" client (jq/jquery_ui/plugins/fileuploader.js, our own
// uploader over XHR2 and FormData) whose files are posted to the control's
// URL of the action map ("Upload") and stored by the server in an upload
// folder.
//
//   auto* up = Create<TIWZQJQFileUpload>(form);
//   up->GetJQFileUploadOptions()->SetUploadPath("/srv/app/uploads");
//   up->GetJQFileUploadOptions()->GetAllowedExtensions()->Add("png");
//   up->GetJQFileUploadOptions()->SetSizeLimit(10 * 1024 * 1024);
//   up->OnGetFileName = [](TObject*, std::string& path, std::string& name) { ... };
//
// Each request stores one file: streamed to a temporary file and moved onto
// its name (see uploadreceiver.h for names, the size cap and the atomic,
// no-replace store). The browser gets {"success":true}, or
// {"success":false,"reason":"..."}. FileNames() lists the files stored since
// the last full render (name = full path).
//
// The hidden input NAME_StoredFiles carries the browser's list of files it
// holds or uploads ([{"id":0,"filename":"a.txt"},...]); the server reads it
// at every submit or callback into GetUploadingFileList(), and can start,
// cancel or clear those uploads (UploadStoredFiles, CancelFileUpload,
// ClearStoredFiles) and enable or disable the button (SetEnabled).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "foundation/collection.h"
#include "foundation/delegate.h"
#include "foundation/stringlist.h"
#include "framework/jqcontainer.h"
#include "options/optionrows.h"

namespace zq {

class TIWZQJQCustomFileUpload;
class THTTPRequest;
class THTTPReply;

// ---------------------------------------------------------------- options

#define ZQ_FILE_UPLOAD_MESSAGES_ROWS(X)                                                         \
  X(String, TypeError, "typeError",                                                             \
    "{file} has an invalid extension. Only {extensions} {isAre} allowed.")                      \
  X(String, SizeError, "sizeError", "{file} is too large, maximum file size is {sizeLimit}.")   \
  X(String, MinSizeError, "minSizeError",                                                       \
    "{file} is too small, minimum file size is {minSizeLimit}.")                                \
  X(String, EmptyError, "emptyError", "{file} is empty, please select files again without it.") \
  X(String, OnLeave, "onLeave",                                                                 \
    "The files are being uploaded, if you leave now the upload will be cancelled.")             \
  X(String, NoFilesError, "noFilesError", "No files to upload.")

// The client's message texts ({file}, {extensions}, ... are filled in by the client).
class TIWZQJQFileUploadOptionsMessages : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQFileUploadOptionsMessages, TIWZQJSon, ZQ_FILE_UPLOAD_MESSAGES_ROWS)
  using TIWZQJSon::TIWZQJSon;
};

#define ZQ_FILE_UPLOAD_CLASSES_ROWS(X)                                    \
  X(String, Button, "button", "qq-upload-button")                         \
  X(String, Drop, "drop", "qq-upload-drop-area")                          \
  X(String, DropActive, "dropActive", "qq-upload-drop-area-active")       \
  X(String, List, "list", "qq-upload-list")                               \
  X(String, File_, "file", "qq-upload-file")                              \
  X(String, Spinner, "spinner", "qq-upload-spinner")                      \
  X(String, Size, "size", "qq-upload-size")                               \
  X(String, Cancel, "cancel", "qq-upload-cancel")                         \
  X(String, Success, "success", "qq-upload-success")                      \
  X(String, Fail, "fail", "qq-upload-fail")                               \
  X(String, DropDisabled, "dropDisabled", "qq-upload-drop-area-disabled") \
  X(String, ProgressBar, "progressBar", "qq-progress-bar")                \
  X(String, Finished, "finished", "qq-upload-finished")                   \
  X(JSon, SuccessIcon, "successIcon", "null")                             \
  X(JSon, FailIcon, "failIcon", "null")

// The CSS classes the client gives its elements. Button, List, Success and
// Fail start with jQuery UI classes ("ui-button", "zq-qq-upload-list",
// "ui-state-highlight", "ui-state-error").
class TIWZQJQFileUploadOptionsClasses : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQFileUploadOptionsClasses, TIWZQJSon, ZQ_FILE_UPLOAD_CLASSES_ROWS)
  using TIWZQJSon::TIWZQJSon;
  void AfterConstruction() override;
};

#define ZQ_FILE_UPLOAD_OPTION_ROWS(X)                                                  \
  X(Boolean, Debug, "debug", false)                                                    \
  X(String, Action, "action", "/server/upload")                                        \
  X(DynObjList, Params, "params")                                                      \
  X(String, Button, "button", "")                                                      \
  X(Boolean, Multiple, "multiple", true)                                               \
  X(Integer, MaxConnections, "maxConnections", 3)                                      \
  X(SimpleArray, AllowedExtensions, "allowedExtensions", true)                         \
  X(Integer, SizeLimit, "sizeLimit", 0)                                                \
  X(Integer, MinSizeLimit, "minSizeLimit", 0)                                          \
  X(Func, OnSubmit, "onSubmit", "id, fileName")                                        \
  X(Func, OnProgress, "onProgress", "id, fileName, loaded, total")                     \
  X(Func, OnComplete, "onComplete", "id, fileName, responseJSON")                      \
  X(Func, OnCancel, "onCancel", "id, fileName")                                        \
  X(Obj, Messages, "messages", TIWZQJQFileUploadOptionsMessages)                       \
  X(Func, OnShowMessage, "showMessage", "message")                                     \
  X(String, Element, "element", "")                                                    \
  X(String, UploadPath, "uploadpath", "", kZQServerOnly)                               \
  X(Func, OnListElement, "listElement", "")                                            \
  X(String, Template, "template", "")                                                  \
  X(String, FileTemplate, "fileTemplate",                                              \
    "<li><span class='qq-progress-bar'></span><span class='qq-upload-spinner'></span>" \
    "<span class='qq-upload-finished'></span><span class='qq-upload-file'></span>"     \
    "<span class='qq-upload-size'></span><a class='qq-upload-cancel' "                 \
    "href='javascript:void(0)'>{cancelButtonText}</a><span "                           \
    "class='qq-upload-failed-text'>{failUploadtext}</span></li>")                      \
  X(Obj, Classes, "classes", TIWZQJQFileUploadOptionsClasses)                          \
  X(SimpleArray, AcceptFiles, "acceptFiles", true)                                     \
  X(Func, OnUpload, "onUpload", "id, fileName, xhr")                                   \
  X(String, InputName, "inputName", "qqfile")                                          \
  X(Func, OnExtraDropzones, "extraDropzones", "")                                      \
  X(String, Name, "name", "file")                                                      \
  X(Custom, HoverClass, "hoverClass", String, "qq-upload-button-hover")                \
  X(Custom, FocusClass, "focusClass", String, "qq-upload-button-focus")                \
  X(String, DragText, "dragText", "Drop files here to upload")                         \
  X(String, CancelButtonText, "cancelButtonText", "Cancel")                            \
  X(String, FailUploadText, "failUploadText", "Failed")                                \
  X(Boolean, CanOverrideFile, "CanOverrideFile", false, kZQServerOnly)                 \
  X(JSon, CustomHeaders, "customHeaders", "null")                                      \
  X(Boolean, DisableCancelForFormUploads, "disableCancelForFormUploads", false)        \
  X(Boolean, AutoUpload, "autoUpload", true)                                           \
  X(Func, OnError, "onError", "id,fileName,errorReason")                               \
  X(String, UploadButtonText, "uploadButtonText", "Upload a file")                     \
  X(String, MultipleFileDropNotAllowedMessage, "multipleFileDropNotAllowedMessage",    \
    "You may only drop one file")                                                      \
  X(Boolean, ShowUploadedFileList, "showUploadedFileList", true, kZQServerOnly)

// The client's options. UploadPath, CanOverrideFile and ShowUploadedFileList
// stay on the server. Action and FileTemplate start empty: an empty Action
// is the control's upload URL, an empty Template and FileTemplate are built
// from Classes; an empty Element is the control's element. HoverClass and
// FocusClass are fixed. Tip, CancelCaption, FailedCaption and Caption are
// other names of DragText, CancelButtonText, FailUploadText and
// UploadButtonText.
class TIWZQJQFileUploadOptions : public TIWZQJSon {
  ZQ_OPTIONS(TIWZQJQFileUploadOptions, TIWZQJSon, ZQ_FILE_UPLOAD_OPTION_ROWS)
  using TIWZQJSon::TIWZQJSon;
  void AfterConstruction() override;

  std::string GetHoverClass() { return GetStringValue(kHoverClass); }
  void SetHoverClass(const std::string&) {}
  std::string GetFocusClass() { return GetStringValue(kFocusClass); }
  void SetFocusClass(const std::string&) {}

  // The control, or none.
  TIWZQJQCustomFileUpload* GetFileUpload();

  // The built templates (with the control's size and Classes).
  std::string DefaultTemplate();
  std::string DefaultFileTemplate();

  bool GetCustomJq(const std::string& APropName, const ISuperObject& AJSon) override;
  ISuperObject GetJSon() override;
};

// ---------------------------------------------------------------- uploads in the browser

class TIWZQJQUploadingFileItem : public TCollectionItem {
  ZQ_CLASS(TIWZQJQUploadingFileItem, TCollectionItem)
  using TCollectionItem::TCollectionItem;
  int GetFileId() const { return FFileId; }
  void SetFileId(int AValue) { FFileId = AValue; }
  const std::string& GetFileName() const { return FFileName; }
  void SetFileName(const std::string& AValue) { FFileName = AValue; }
  // Cancels this upload in the browser (ids of 0 or more).
  void Cancel();

 private:
  int FFileId = -1;
  std::string FFileName;
};

class TIWZQJQUploadingFileList : public TCollection {
  ZQ_CLASS(TIWZQJQUploadingFileList, TCollection)
  explicit TIWZQJQUploadingFileList(TIWZQJQCustomFileUpload* AUpload = nullptr);
  TIWZQJQUploadingFileItem* Add() {
    return static_cast<TIWZQJQUploadingFileItem*>(TCollection::Add());
  }
  TIWZQJQUploadingFileItem* Insert(int AIndex) {
    return static_cast<TIWZQJQUploadingFileItem*>(TCollection::Insert(AIndex));
  }
  TIWZQJQUploadingFileItem* Items(int AIndex) const {
    return ItemAs<TIWZQJQUploadingFileItem>(AIndex);
  }
  // The first item with that id / that exact name, or none.
  TIWZQJQUploadingFileItem* GetItemByFileId(int AId) const;
  TIWZQJQUploadingFileItem* GetItemByFileName(const std::string& AName) const;
  TIWZQJQCustomFileUpload* Upload() const { return FUpload; }

 private:
  TIWZQJQCustomFileUpload* FUpload;
};

// ---------------------------------------------------------------- control

// (Sender, folder in and out, file name in and out): called before an
// upload is stored.
using TIWZQJQFileUploadGetFileNameEvent =
    Delegate<void(TObject* Sender, std::string& APath, std::string& AFileName)>;

class TIWZQJQCustomFileUpload : public TIWZQJQContainer {
  ZQ_CLASS(TIWZQJQCustomFileUpload, TIWZQJQContainer)
 public:
  explicit TIWZQJQCustomFileUpload(TComponent* AOwner);
  ~TIWZQJQCustomFileUpload() override;
  void BeforeDestruction() override;

  TIWZQJQFileUploadOptions* GetJQFileUploadOptions();
  void SetJQFileUploadOptions(TIWZQJQFileUploadOptions* AValue);
  bool GetCanOverrideFile() { return GetJQFileUploadOptions()->GetCanOverrideFile(); }
  void SetCanOverrideFile(bool AValue) { GetJQFileUploadOptions()->SetCanOverrideFile(AValue); }
  std::string GetPluginVersion() const { return "2.0"; }
  bool GetEnabled() const { return Enabled; }
  // During a callback the button is enabled or disabled in the browser too.
  void SetEnabled(bool AValue);
  TIWZQJQFileUploadGetFileNameEvent OnGetFileName;

  const std::string& GetMapID();
  // The upload URL, registered with the action map on first use.
  const std::string& GetServerActionUrl();
  // The page variable of the client instance: jQuery HTML name + "_JQObj".
  std::string GetFileUploadJQObj() { return GetJQHTMLName() + "_JQObj"; }
  std::string StoredFilesInputName() { return GetJQHTMLName() + "_StoredFiles"; }
  // The files stored since the last full render: name = full path.
  TStringList& FileNames() { return FFileNames; }
  TIWZQJQUploadingFileList* GetUploadingFileList();
  // The folder uploads go to: UploadPath (relative paths under the
  // controller's content folder), else the session's own folder under the
  // cache folder; with a trailing "/".
  std::string UploadFolder();

  // ---- script operations (js...: the script; the twin sends it)
  std::string SafeExecJavascript(const std::string& AScript);
  std::string jsSetParams(const std::string& AParams);
  void SetParams(const std::string& AParams);
  std::string jsUploadStoredFiles();
  void UploadStoredFiles();
  std::string jsClearStoredFiles();
  void ClearStoredFiles();
  std::string jsGetInProgress();
  // Raises Exception "The upload is not found for File ID: %d" for an id
  // the browser did not report.
  std::string jsCancelFileUpload(int AId);
  void CancelFileUpload(int AId);
  std::string jsSetEnabled(bool AFlag);

  // The map handler of action "Upload".
  virtual void ActionUploadHandler(const std::string& AAction, TStringList* AParams,
                                   THTTPRequest& ARequest, THTTPReply& AReply);

  // ---- overrides
  void GetScriptLinks(TStringList& AList) override;
  std::unique_ptr<TIWHTMLTag> RenderHTML(TIWCompContext& AContext) override;
  std::string GetRenderScript() override;
  void GetInputControlNames(std::vector<std::string>& AList) override;
  using TIWZQJQContainer::GetInputControlNames;
  void SetValueByName(const std::string& AName, const std::string& AValue) override;
  std::string GetPluginDestroyJs() override;

 private:
  Owned<TIWZQJSon> FJQFileUploadOptions;
  TStringList FFileNames;
  std::string FMapID;
  std::string FServerActionUrl;
  std::unique_ptr<TIWZQJQUploadingFileList> FUploadingFileList;
};

class TIWZQJQFileUpload : public TIWZQJQCustomFileUpload {
  ZQ_CLASS(TIWZQJQFileUpload, TIWZQJQCustomFileUpload)
 public:
  using TIWZQJQCustomFileUpload::TIWZQJQCustomFileUpload;
};

}  // namespace zq
