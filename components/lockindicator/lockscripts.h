// The client-side pieces of the lock indicator: the page helper functions,
// the hook script the host's before/after request hooks call, the message
// markup with its image, and the built-in loading-animation table.
//
// Which item blocks the page is decided in the browser: an event function
// with an item of its own registers it in GEventIndicators ("<HTML
// name>.<event>" -> item key); otherwise the active ajax item is used for the
// events whose name matches one of the regular expressions, and the active
// submit item for every submit. The hook script never evaluates a name that
// may not exist: a stale table entry shows nothing and the request goes on.
//
// Everything here is built from its arguments only (no shared state), so the
// scripts of an indicator owned by the server controller can be produced on
// any request thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "options/optionrows.h"

namespace zq {

// The built-in images (folder "loading-animation/<theme>/Loading<N>.gif").
#define ZQ_LOCK_IMG_COLOR_VALUES(X) \
  X(jqlisBlack, "black")            \
  X(jqlisBlue, "blue") X(jqlisGreen, "green") X(jqlisPink, "pink") X(jqlisRed, "red")
ZQ_OPTION_ENUM(TIWZQJQLockIndicatorImgColor, ZQ_LOCK_IMG_COLOR_VALUES)
#define ZQ_LOCK_IMG_ALIGN_VALUES(X) \
  X(jqliiaLeft, "Left") X(jqliiaRight, "Right") X(jqliiaTop, "Top") X(jqliiaBottom, "Bottom")
ZQ_OPTION_ENUM(TIWZQJQLockIndicatorImgAlign, ZQ_LOCK_IMG_ALIGN_VALUES)
// 0 is jqlidiNone, 1 .. 20 are jqlidiLoading1 .. jqlidiLoading20.
inline constexpr int jqlidiNone = 0;
inline constexpr int kLockIndicatorImageCount = 20;

struct TZQLockImageSize {
  int Width = 0;
  int Height = 0;
};
// The built-in size of an image (0 x 0 for none or out of range).
TZQLockImageSize ZQLockImageSize(int AImage);
// "black", "blue", "green", "pink", "red".
std::string_view ZQLockThemeFolder(TIWZQJQLockIndicatorImgColor ATheme);
// "Loading<N>.gif", or "No Image" for none.
std::string ZQLockImageFileName(int AImage);
// "loading-animation/<theme>/Loading<N>.gif" under ACssBase; empty for none.
std::string ZQLockImagePath(std::string_view ACssBase, TIWZQJQLockIndicatorImgColor ATheme,
                            int AImage);

// The well-formed default of the items' growl CSS.
extern const char* const kZQLockGrowlCSSDefault;

// The page helpers ZQCreateLock, ZQGetEventName and ZQIsInStrArray, one line
// of script each, in this order.
std::vector<std::string> ZQLockIndicatorPreScriptLines();

// A JavaScript array of string literals, each escaped, so that a "\" or a
// quote in a pattern reaches the RegExp constructor unchanged.
std::string ZQLockRegExArray(const std::vector<std::string>& APatterns);

// What the hook script of one indicator needs.
struct TZQLockHookSource {
  bool OnServerController =
      false;  // item keys "sc<i>", needs-indicator function "scZQGetNeedsIndicator"
  std::vector<std::string> ItemScripts;        // per item: its block (or unblock) script
  int ActiveIndex = -1;                        // the active item for this request kind, or -1
  std::vector<std::string> AjaxEventsRegEx;    // host events
  std::vector<std::string> AjaxEventsZQRegEx;  // the library's events
};

// The hook lines for (ajax, unload): nothing without items; else the
// needs-indicator function, one function per item named P + "_" + key, and the
// dispatch lines (P is IndicatorAjaxBegin/End or IndicatorSubmitBegin/End).
std::vector<std::string> ZQLockIndicatorHookLines(bool AAjax, bool AUnload,
                                                  const TZQLockHookSource& ASource);

// The message markup of an item: the image (when ASrc is not empty) and the
// message span (when the text is not empty and visible), ordered by the
// alignment. The message is HTML-escaped unless AMessageIsHTML is set.
struct TZQLockMessage {
  std::string Name;  // element name prefix ("<name>_LOCKIMG", "<name>_LOCKMSG")
  std::string ImageSrc;
  int Width = 0;
  int Height = 0;
  TIWZQJQLockIndicatorImgAlign Align = TIWZQJQLockIndicatorImgAlign::jqliiaLeft;
  std::string Text = "Please wait...";
  bool Visible = true;
  bool MessageIsHTML = false;
  std::string FontStyle;  // CSS declarations of the font
};
std::string ZQLockMessageHTML(const TZQLockMessage& AMessage);

}  // namespace zq
