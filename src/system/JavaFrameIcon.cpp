#include "system/JavaFrameIcon.h"

#include <cstdint>
#include <vector>

#include "appkit/application/NSApplication.h"
#include "appkit/drawing/NSBitmapImageRep.h"
#include "appkit/drawing/NSColor.h"
#include "appkit/drawing/NSImage.h"

namespace brix {
namespace {

// Larger icons are for docks and launchers; an alert shows 64 points.
constexpr jint kLargestSide = 256;

// The image's pixels as an NSImage, when it is a BufferedImage of a size worth showing.
NSImage* imageOf(JNIEnv* env, jobject image) {
  jclass buffered = env->FindClass("java/awt/image/BufferedImage");
  if (!buffered || !env->IsInstanceOf(image, buffered)) return nullptr;
  const jint width = env->CallIntMethod(image, env->GetMethodID(buffered, "getWidth", "()I"));
  const jint height = env->CallIntMethod(image, env->GetMethodID(buffered, "getHeight", "()I"));
  if (env->ExceptionCheck() || width <= 0 || height <= 0 || width > kLargestSide ||
      height > kLargestSide)
    return nullptr;
  // int[] getRGB(x, y, w, h, int[] into, offset, scansize): ARGB, not premultiplied.
  auto pixels = static_cast<jintArray>(
      env->CallObjectMethod(image, env->GetMethodID(buffered, "getRGB", "(IIII[III)[I"), 0, 0,
                            width, height, nullptr, 0, width));
  if (env->ExceptionCheck() || !pixels) return nullptr;
  std::vector<jint> argb(static_cast<std::size_t>(width) * height);
  env->GetIntArrayRegion(pixels, 0, static_cast<jsize>(argb.size()), argb.data());
  env->DeleteLocalRef(pixels);
  if (env->ExceptionCheck()) return nullptr;
  NSBitmapImageRep* bitmap = NSBitmapImageRep::alloc()->initWithPixelsWide(width, height);
  if (!bitmap) return nullptr;
  for (jint y = 0; y < height; ++y)
    for (jint x = 0; x < width; ++x) {
      const auto pixel = static_cast<uint32_t>(argb[static_cast<std::size_t>(y) * width + x]);
      const auto channel = [pixel](int shift) { return ((pixel >> shift) & 0xff) / 255.0; };
      bitmap->setColor(
          NSColor::colorWithDeviceRed(channel(16), channel(8), channel(0), channel(24)), x, y);
    }
  NSImage* icon = NSImage::alloc()->initWithSize(NSMakeSize(width, height));
  icon->addRepresentation(bitmap);
  bitmap->release();
  icon->setSourceName(NSSTR("Java frame icon"));
  return static_cast<NSImage*>(icon->autorelease());
}

// The largest usable image of a frame's icon images.
NSImage* largestIconOf(JNIEnv* env, jclass window, jobject frame) {
  jobject list =
      env->CallObjectMethod(frame, env->GetMethodID(window, "getIconImages", "()Ljava/util/List;"));
  if (env->ExceptionCheck() || !list) return nullptr;
  jclass listClass = env->FindClass("java/util/List");
  const jint count = env->CallIntMethod(list, env->GetMethodID(listClass, "size", "()I"));
  const jmethodID get = env->GetMethodID(listClass, "get", "(I)Ljava/lang/Object;");
  NSImage* largest = nullptr;
  for (jint i = 0; i < count && !env->ExceptionCheck(); ++i) {
    jobject image = env->CallObjectMethod(list, get, i);
    if (!image) continue;
    NSImage* candidate = imageOf(env, image);
    if (candidate && (!largest || candidate->size().width > largest->size().width))
      largest = candidate;
  }
  return largest;
}

} // namespace

NSImage* javaFrameIcon(JNIEnv* env) {
  if (env->PushLocalFrame(64) != 0) {
    env->ExceptionClear();
    return nullptr;
  }
  NSImage* icon = nullptr;
  jclass frameClass = env->FindClass("java/awt/Frame");
  jclass window = env->FindClass("java/awt/Window");
  auto frames =
      frameClass
          ? static_cast<jobjectArray>(env->CallStaticObjectMethod(
                frameClass, env->GetStaticMethodID(frameClass, "getFrames", "()[Ljava/awt/Frame;")))
          : nullptr;
  const jsize count = frames && !env->ExceptionCheck() ? env->GetArrayLength(frames) : 0;
  for (jsize i = 0; i < count && !icon && !env->ExceptionCheck(); ++i) {
    jobject frame = env->GetObjectArrayElement(frames, i);
    const bool showing =
        frame && env->CallBooleanMethod(frame, env->GetMethodID(window, "isShowing", "()Z"));
    if (showing && !env->ExceptionCheck()) icon = largestIconOf(env, window, frame);
  }
  env->ExceptionClear();
  env->PopLocalFrame(nullptr);
  return icon;
}

void adoptJavaFrameIcon(JNIEnv* env) {
  // Without a bundle icon, imageNamed answers the generic icon, named after the request.
  NSImage* bundleIcon = NSImage::imageNamed(NSImageNameApplicationIcon);
  NSString* name = bundleIcon ? bundleIcon->sourceName() : nullptr;
  if (!name || !name->isEqualToString(NSImageNameApplicationIcon)) return;
  if (NSImage* icon = javaFrameIcon(env))
    NSApplication::sharedApplication()->setApplicationIconImage(icon);
}

} // namespace brix
