// The response to an ajax callback: scripts to execute in the order added,
// replaced control HTML and async control tags, written as the XML document
// described in docs/protocol.md.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/html.h"

namespace zq {

// "<![CDATA[" + text + "]]>", with every "]]>" inside the text split as
// "]]]]><![CDATA[>" so that it cannot end the section early; the client joins
// the pieces.
std::string CDataSection(std::string_view text);

class TIWCallBackResponse {
 public:
  TIWCallBackResponse();
  ~TIWCallBackResponse();

  // A script to run in the browser after the response is applied. A text that
  // is already one whole "<![CDATA[...]]>" section is unwrapped first (the
  // writer adds the section itself). Empty texts are ignored.
  void AddJavaScriptToExecute(std::string_view script);
  const std::vector<std::string>& Scripts() const { return scripts_; }

  // Replaces the element with that ID by new outer HTML.
  void AddUpdate(std::string_view id, std::string_view html);
  // An async tag (e.g. a region's "control" tag) written as it is.
  void AddControlTag(std::unique_ptr<TIWHTMLTag> tag);

  bool IsEmpty() const { return scripts_.empty() && updates_.empty() && tags_.empty(); }
  void Clear();

  // The XML document: updates and control tags first, then the scripts.
  std::string Render() const;
  // The document of a failed callback: <response><error>message</error></response>.
  static std::string RenderError(std::string_view message);
  // The document of a callback on an expired session.
  static std::string RenderExpired();

 private:
  struct Update {
    std::string id, html;
  };
  std::vector<std::string> scripts_;
  std::vector<Update> updates_;
  std::vector<std::unique_ptr<TIWHTMLTag>> tags_;
};

}  // namespace zq
