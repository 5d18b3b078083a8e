#include "display/x11/X11Errors.h"

#include <iterator>

#include "foundation/system/NSLog.h"

namespace {

// The core protocol's errors, by code.
constexpr const char* kErrorNames[] = {
    "Success",     "BadRequest",  "BadValue",    "BadWindow",   "BadPixmap", "BadAtom",
    "BadCursor",   "BadFont",     "BadMatch",    "BadDrawable", "BadAccess", "BadAlloc",
    "BadColormap", "BadGContext", "BadIDChoice", "BadName",     "BadLength", "BadImplementation"};

// The core requests the display sends, by major opcode; others are logged by number.
struct Request {
  uint8_t major;
  const char* name;
};
constexpr Request kRequests[] = {
    {XCB_CREATE_WINDOW, "CreateWindow"},
    {XCB_CHANGE_WINDOW_ATTRIBUTES, "ChangeWindowAttributes"},
    {XCB_GET_WINDOW_ATTRIBUTES, "GetWindowAttributes"},
    {XCB_DESTROY_WINDOW, "DestroyWindow"},
    {XCB_CHANGE_SAVE_SET, "ChangeSaveSet"},
    {XCB_REPARENT_WINDOW, "ReparentWindow"},
    {XCB_MAP_WINDOW, "MapWindow"},
    {XCB_UNMAP_WINDOW, "UnmapWindow"},
    {XCB_CONFIGURE_WINDOW, "ConfigureWindow"},
    {XCB_GET_GEOMETRY, "GetGeometry"},
    {XCB_QUERY_TREE, "QueryTree"},
    {XCB_CHANGE_PROPERTY, "ChangeProperty"},
    {XCB_DELETE_PROPERTY, "DeleteProperty"},
    {XCB_GET_PROPERTY, "GetProperty"},
    {XCB_SEND_EVENT, "SendEvent"},
    {XCB_GRAB_POINTER, "GrabPointer"},
    {XCB_UNGRAB_POINTER, "UngrabPointer"},
    {XCB_GRAB_KEYBOARD, "GrabKeyboard"},
    {XCB_UNGRAB_KEYBOARD, "UngrabKeyboard"},
    {XCB_TRANSLATE_COORDINATES, "TranslateCoordinates"},
    {XCB_SET_INPUT_FOCUS, "SetInputFocus"},
    {XCB_PUT_IMAGE, "PutImage"},
};

const char* requestName(uint8_t major) {
  for (const Request& request : kRequests)
    if (request.major == major) return request.name;
  return nullptr;
}

} // namespace

void X11LogError(const xcb_generic_error_t* error) {
  if (!error) return;
  const char* name =
      error->error_code < std::size(kErrorNames) ? kErrorNames[error->error_code] : "error";
  const char* request = requestName(error->major_code);
  if (request)
    NSLog("X error %s (%u) from %s, resource 0x%x", name, error->error_code, request,
          error->resource_id);
  else
    NSLog("X error %s (%u) from request %u.%u, resource 0x%x", name, error->error_code,
          error->major_code, error->minor_code, error->resource_id);
}
