// The demo's forms and pages. Each demonstrated part of the library is a page
// (demo/pages/<name>.cpp) that registers itself with ZQDEMO_PAGE; nothing else
// lists the pages. The showcase frame (showcase.h) puts a header and the
// navigation list of every page around the form. "/" shows every page one
// below the other (in page order), "/demo/<name>" shows one page alone with
// the C++ source that builds it, so that a browser test of a component opens
// only its own page. "/demo/pages.json" lists the pages.
//
// A session keeps one form per URL it has opened: the page router (a content
// handler on "/" and "/demo/") makes the form of the requested URL the
// session's active one before the host serves the page.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/controls.h"

namespace zq {
class TIWServerController;
}

namespace zqdemo {

class TDemoPage;

// A form showing one page, or every page. The first form of a session is made
// before its URL is known and builds its page on its first render.
class TDemoForm : public zq::TIWAppForm {
  ZQ_CLASS(TDemoForm, zq::TIWAppForm)
 public:
  explicit TDemoForm(zq::TIWApplication* AApplication);
  ~TDemoForm() override;
  void AfterConstruction() override;
  void DoRender() override;

  // Builds the controls of the page of that name ("" for every page). A form
  // builds once; later calls do nothing.
  void BuildPage(const std::string& APage);
  bool IsBuilt() const { return built_; }
  // The page shown ("" for every page); meaningful once built.
  const std::string& Page() const { return page_; }

 private:
  // The bar above the pages: a button whose callback takes a second, under
  // the lock indicator the server controller has for every page.
  void BuildSlowBar();
  std::vector<std::unique_ptr<TDemoPage>> pages_;
  std::string page_;
  bool built_ = false;
};

// One demonstrated part of the library. Build places its controls on the
// form at the given top position (pixels) and returns the height it used; the
// page keeps its own state. The frame moves the controls Build placed on the
// form into the page's example box, whose top the positions are relative to.
//
// What the showcase says about the page is optional; an empty text takes the
// default named below.
class TDemoPage {
 public:
  virtual ~TDemoPage() = default;
  virtual int Build(TDemoForm& AForm, int ATop) = 0;
  // The entry in the navigation list. Default: the page name, "_" and "-" as
  // blanks, the first letter upper case ("host_controls" -> "Host controls").
  virtual std::string NavLabel() const { return {}; }
  // The heading of the page. Default: the navigation label.
  virtual std::string Title() const { return {}; }
  // One sentence on what the page's part of the library is for. Default: the
  // first sentence of the comment that opens the page's source file.
  virtual std::string Summary() const { return {}; }
  // Whether the example needs its pixel positions on a narrow screen too
  // (dragging, placement); otherwise its controls flow there.
  virtual bool KeepsPositions() const { return false; }
};

struct TDemoPageInfo {
  std::string name;  // the "<name>" of "/demo/<name>": a-z, 0-9, "_" and "-"
  int order;         // place on the all-pages form (lowest first, then by name)
  std::function<std::unique_ptr<TDemoPage>()> make;
  std::string file;  // the file name of the page's source ("store.cpp")
};

// Registers a page at start-up (see ZQDEMO_PAGE). A malformed or repeated
// name stops the program with a message.
class TDemoPageRegistrar {
 public:
  TDemoPageRegistrar(std::string AName, int AOrder,
                     std::function<std::unique_ptr<TDemoPage>()> AMake,
                     std::string_view ASourceFile = {});
};

// The registered pages in page order.
std::vector<const TDemoPageInfo*> DemoPages();
const TDemoPageInfo* FindDemoPage(std::string_view AName);

// The page a request path names: "/" gives "" (every page), "/demo/<name>" a
// registered name; false for any other path.
bool DemoPageOfPath(std::string_view APath, std::string& APage);

// Makes the form of that page the session's active one, creating and building
// it when the session has none yet. Takes the session lock.
void ShowDemoPage(zq::TIWApplication& AApplication, const std::string& APage);

// Installs the main-form factory and the page router on the controller.
void InstallDemoPages(zq::TIWServerController& AController);

// A label of one line on the form.
zq::TIWLabel* DemoLabel(TDemoForm& AForm, const char* AName, const std::string& ACaption, int ALeft,
                        int ATop, int AWidth);
// A button 28 pixels high whose click runs AOnClick during an ajax callback.
zq::TIWButton* DemoButton(TDemoForm& AForm, const char* AName, const char* ACaption, int ALeft,
                          int ATop, int AWidth, std::function<void()> AOnClick);

}  // namespace zqdemo

// Registers the TDemoPage class CLASS as page NAME with place ORDER; write it
// once at namespace scope in the page's file.
#define ZQDEMO_PAGE(CLASS, NAME, ORDER)                                  \
  static const ::zqdemo::TDemoPageRegistrar zqdemoPageRegistrar_##CLASS( \
      NAME, ORDER, [] { return std::unique_ptr<::zqdemo::TDemoPage>(new CLASS()); }, __FILE__)
