// The process-wide parts of the picture unit that talk to the host: the save
// entries of picture holders (in the URL action map), the confined file write of browser data, and
// the content handler that serves the image cache folders.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace zq {

class TStringList;
class THTTPRequest;
class THTTPReply;

// The handler of a save entry: (action, request parameters, request, reply).
using TZQPictureSaveHandler = std::function<void(const std::string& AAction, TStringList* AParams,
                                                 THTTPRequest* ARequest, THTTPReply* AReply)>;

// The action of the save entries.
inline constexpr const char* ZQSaveImageAction = "GetImageDataUrl";

// Registers the save entry of a holder in the URL action map (map ID, the
// holder's session, mrtError) and returns its URL: "/IWZQJQ/ID" + map ID +
// "Action" + ZQSaveImageAction after the URL base and script name. The
// handler runs under the session's lock; a failure is answered with status
// 500 and the message.
std::string ZQPictureAddSaveEntry(const std::string& AMapID, const std::string& AppID,
                                  TZQPictureSaveHandler AHandler);
void ZQPictureRemoveSaveEntry(const std::string& AMapID);
// Whether a save entry of that map ID exists.
bool ZQPictureHasSaveEntry(const std::string& AMapID);

// Writes the bytes as the plain file name inside the existing folder, through
// a temporary file renamed into place: the folder's canonical path is used,
// no symbolic link is followed (one placed under the name is replaced, not
// written through) and no folder is created. Raises EIWZQJQuery
// "Invalid file name: \"%s\"!" or "Folder not found: \"%s\"!".
void ZQWriteConfined(const std::string& AFolder, const std::string& AFileName,
                     std::string_view ABytes);

}  // namespace zq
