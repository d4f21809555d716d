// The library's start-up and shutdown. ZQLibraryStartup installs every
// process-wide hook the layers need, in this order, and ZQLibraryShutdown
// removes them in the reverse order:
//
//   1. the URL action map and its responder          (slot ActionMap)
//   2. the image cache                                 (slot ImageCache)
//   3. the async region renderer                       (slot AsyncRender)
//   4. the event-function classes and the freed-object hook of the option
//      model (setters recorded for an option object never outlive it)
//   5. the indent switch: option literals are indented while the server
//      controller's script debugging is on
//   6. the HTML-name resolvers (a script container answers its own name)
//   7. the page-script filter of every page layout (framework/pagescripts.h)
//   8. the upload content parser                       (slot UploadParser)
//
// The slots belong to layers above the framework (or not built yet); such a
// layer fills its slot with ZQSetStartupSlot before the library starts.
//
// An application calls ZQLibraryStartup once before it serves the first
// request and ZQLibraryShutdown after its last session has ended. Calls nest:
// only the first start-up installs and only the matching last shutdown
// removes, so a test fixture may hold a start-up of its own.
#pragma once

namespace zq {

void ZQLibraryStartup();
void ZQLibraryShutdown();
bool ZQLibraryStarted();

enum class TZQStartupSlot { ActionMap, ImageCache, AsyncRender, UploadParser };

struct TZQStartupStep {
  void (*Install)() = nullptr;
  void (*Remove)() = nullptr;
};

// Fills (or, with an empty step, empties) a slot. Raises "The library has
// already started!" while the library is started.
void ZQSetStartupSlot(TZQStartupSlot ASlot, TZQStartupStep AStep);

}  // namespace zq
