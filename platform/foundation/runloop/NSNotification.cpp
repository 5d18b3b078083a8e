#include "foundation/runloop/NSNotification.h"

NSNotification* NSNotification::initWithName(NSNotificationName name, NSObject* object) {
  name_ = name;
  object_ = retained(object);
  return this;
}
