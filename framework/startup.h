// The library's start-up and shutdown. ZQLibraryStartup installs every
// process-wide hook the layers need, in this order, and ZQLibraryShutdown
// removes them in the reverse order:
//
//   1. the URL action map and its responder          (slot ActionMap)
//   2. the image-cache lock and the ".bmp" type        (slot ImageCache)
//   3. the async region renderer                       (slot AsyncRender)
//   4. the event-function classes and the freed-object hook of the option
//      model (setters recorded for an option object never outlive it)
//   5. the indent switch: option literals are indented while the server
//      controller's script debugging is on
//   6. the HTML-name resolvers (a script container answers its own name)
//   7. the page-script filter of every page layout (framework/pagescripts.h)
//   8. the web-root check: its first answer is asked for in the background
//      (start-ups with a server controller only)
//   9. the upload content parser                       (slot UploadParser)
//
// The slots belong to layers above the framework (or not built yet); such a
// layer fills its slot with ZQSetStartupSlot before the library starts (the
// URL action map and the image cache fill theirs when they are linked in).
// A step that needs the server controller (InstallFor) runs only in a
// start-up that has one: the one given, else gServerController.
//
// An application makes its server controller, sets it up, then calls
// ZQLibraryStartup(controller) once before it serves the first request, and
// ZQLibraryShutdown after its last session has ended and before it frees the
// controller. Calls nest: only the first start-up installs and only the
// matching last shutdown removes, so a test fixture may hold a start-up of
// its own. A start-up with a controller inside one without installs the
// controller steps that are still missing.
#pragma once

namespace zq {

class TIWServerController;

void ZQLibraryStartup();
void ZQLibraryStartup(TIWServerController& AController);
void ZQLibraryShutdown();
bool ZQLibraryStarted();

enum class TZQStartupSlot { ActionMap, ImageCache, AsyncRender, UploadParser };

// Install runs in every start-up; InstallFor (when set) instead of it in a
// start-up that has a server controller. Remove runs at the last shutdown
// when one of them ran.
struct TZQStartupStep {
  void (*Install)() = nullptr;
  void (*Remove)() = nullptr;
  void (*InstallFor)(TIWServerController& AController) = nullptr;
};

// Fills (or, with an empty step, empties) a slot. Raises "The library has
// already started!" while the library is started.
void ZQSetStartupSlot(TZQStartupSlot ASlot, TZQStartupStep AStep);

}  // namespace zq
