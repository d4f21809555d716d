// The showcase frame around the demo pages: a header with a jQuery UI theme
// switcher, the navigation list of every registered page, and for each page
// its heading, a sentence on what it is for, the live example (the page's own
// controls, in a box of their own) and the C++ source that builds it, as
// compiled in from demo/pages/ (demosources.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "demoform.h"
#include "host/controls.h"

namespace zqdemo {

// What the showcase says about a registered page: its texts, or their
// defaults (see TDemoPage), and its source text ("" when not compiled in).
struct TDemoPageText {
  std::string label;
  std::string title;
  std::string summary;
  std::string_view source;
};
const TDemoPageText& DemoPageText(const TDemoPageInfo& AInfo);

// The navigation label a page name gives: "_" and "-" as blanks, the first
// letter upper case.
std::string DemoLabelOfName(std::string_view AName);
// The first sentence of the comment that opens a source file, without a short
// "Topic:" lead ("// Client store: a key ... browser. More" -> "A key ...
// browser."); "" when the file starts otherwise.
std::string FirstCommentSentence(std::string_view ASource);
// The compiled-in text of the page source of that file name (a path is
// reduced to its file name); "" for an unknown file.
std::string_view DemoSourceOf(std::string_view AFile);

// {"pages":[{"name":..,"label":..,"title":..,"summary":..,"path":"/demo/<name>"}, ...]}
// in page order.
std::string DemoPagesJSON();

// Raw markup of the frame placed among the form's controls (a page's heading
// and sentence, its source). Rendered in the page flow.
class TDemoHtml : public zq::TIWBaseControl {
  ZQ_CLASS(TDemoHtml, zq::TIWBaseControl)
 public:
  explicit TDemoHtml(zq::TComponent* AOwner);
  std::string Html;  // written as it is: escape what goes in
  std::unique_ptr<zq::TIWHTMLTag> RenderHTML(zq::TIWCompContext& AContext) override;
};

// The box of a page's live example: in the page flow, as high as the page
// said; the page's controls keep their positions inside it. On a narrow
// screen they flow unless the page keeps its positions.
class TDemoExample : public zq::TIWFrame {
  ZQ_CLASS(TDemoExample, zq::TIWFrame)
 public:
  explicit TDemoExample(zq::TComponent* AOwner);
  std::unique_ptr<zq::TIWHTMLTag> RenderHTML(zq::TIWCompContext& AContext) override;
  bool Flows = true;
};

// The frame's bar above the pages: its controls in a row that wraps.
class TDemoBar : public zq::TIWFrame {
  ZQ_CLASS(TDemoBar, zq::TIWFrame)
 public:
  explicit TDemoBar(zq::TComponent* AOwner);
  std::unique_ptr<zq::TIWHTMLTag> RenderHTML(zq::TIWCompContext& AContext) override;
};

// The page layout of a form showing APage ("" for every page): the frame
// around the form.
std::unique_ptr<zq::TIWLayoutMgr> MakeShowcaseLayout(std::string APage);

// The frame's markup for one page above its example (heading, sentence, on
// the all-pages form a link to the page alone) and below it (the source).
std::string DemoIntroHtml(const TDemoPageInfo& AInfo, bool AAllPages);
std::string DemoSourceHtml(const TDemoPageInfo& AInfo);

}  // namespace zqdemo
