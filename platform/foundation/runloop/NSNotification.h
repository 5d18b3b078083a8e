// NSNotification: what a notification centre hands its observers: a name and the object that
// posted it (retained for the notification's life, as Foundation does).
#pragma once

#include <string>
#include <string_view>

#include "foundation/runtime/NSObject.h"

// Notification names are the constants their classes declare, compared by their text.
using NSNotificationName = std::string_view;

class NSNotification : public NSObject {
  NS_OBJECT_CLASS(NSNotification)

  NSNotification* initWithName(NSNotificationName name, NSObject* object);

  NSNotificationName name() const { return name_; }
  NSObject* object() const { return object_.get(); }

private:
  std::string name_;
  Ref<NSObject> object_;
};
