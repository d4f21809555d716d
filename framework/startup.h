// The library's start-up and shutdown. ZQLibraryStartup installs every
// process-wide hook the layers need, in this order, and ZQLibraryShutdown
// removes them in the reverse order:
//
//   1. the URL action map and its responder          (slot ActionMap)
//   2. the image-cache lock and the ".bmp" type        (slot ImageCache)
//   3. the request capture: the server's per-request object is the thread's
//      current request info (framework/requestcapture.h)
//   4. the async region renderer                       (slot AsyncRender)
//   5. the web-root check: its first answer is asked for (a remote version
//      file is fetched in the background; start-ups with a controller only)
//   6. the event-function classes and the freed-object hook of the option
//      model (setters recorded for an option object never outlive it)
//   7. the indent switch: option literals are indented while the server
//      controller's script debugging is on
//   8. the HTML-name resolvers (a script container answers its own name)
//   9. the page-script filter of every page layout (framework/pagescripts.h)
//  10. the upload content parser                       (slot UploadParser)
//
// The slots belong to layers above the framework (or not built yet); such a
// layer fills its slot with ZQSetStartupSlot before the library starts (the
// URL action map and the image cache fill theirs when they are linked in).
// A step that needs the server controller (InstallFor) runs only in a
// start-up given one.
//
// An application makes its server controller and sets its settings (content
// path, cache folder), then calls ZQLibraryStartup(controller) once before it
// places controls on the controller (a lock indicator serving every form is
// made of option objects, which need step 6) and serves the first request, and
// ZQLibraryShutdown after its last session has ended and before it frees the
// controller. Calls nest: only the first start-up installs and only the
// matching last shutdown removes, so a test fixture may hold a start-up of
// its own (a nested start-up adds nothing, its controller included).
#pragma once

namespace zq {

class TIWServerController;

void ZQLibraryStartup();
void ZQLibraryStartup(TIWServerController& AController);
void ZQLibraryShutdown();
bool ZQLibraryStarted();

enum class TZQStartupSlot { ActionMap, ImageCache, AsyncRender, UploadParser };

// A step installs with Install, or, when it needs the server controller,
// with InstallFor (then Install is not used), which runs only in a start-up
// given one. Remove runs at the last shutdown if the step was installed.
struct TZQStartupStep {
  void (*Install)() = nullptr;
  void (*Remove)() = nullptr;
  void (*InstallFor)(TIWServerController& AController) = nullptr;
};

// Fills (or, with an empty step, empties) a slot. Raises "The library has
// already started!" while the library is started.
void ZQSetStartupSlot(TZQStartupSlot ASlot, TZQStartupStep AStep);

}  // namespace zq
