// The snapshot methods of the testkit: PNG pictures of one window or of the whole screen at a
// scale factor. They are bound under two names, ixa.testkit.Snapshots (the class that declares
// them now) and ixa.testkit.Screen (where the testkit's interface lists them), so either
// declaration finds them. Any thread may call them; the rendering runs on the main thread.
#include <jni.h>

#include <cmath>
#include <memory>
#include <vector>

#include "appkit/application/NSApplication.h"
#include "testkit/TestkitJni.h"
#include "testkit/WindowSnapshot.h"

using namespace testkit;

namespace {

struct Picture {
  bool windowFound = false;
  std::vector<unsigned char> png;
};

jbyteArray toJava(JNIEnv* env, const std::vector<unsigned char>& bytes) {
  jbyteArray array = env->NewByteArray(static_cast<jsize>(bytes.size()));
  if (!array) return nullptr;
  env->SetByteArrayRegion(array, 0, static_cast<jsize>(bytes.size()),
                          reinterpret_cast<const jbyte*>(bytes.data()));
  return array;
}

void keepBytes(NSData* png, Picture& picture) {
  if (!png) return;
  const auto* bytes = static_cast<const unsigned char*>(png->bytes());
  picture.png.assign(bytes, bytes + png->length());
}

bool validScale(JNIEnv* env, const char* method, jdouble scale) {
  if (std::isfinite(scale) && scale >= kSnapshotMinScale && scale <= kSnapshotMaxScale) return true;
  throwJava(env, kIllegalArgument, std::string(method) + ": the scale must lie between 0.1 and 8");
  return false;
}

jbyteArray snapshotWindow(JNIEnv* env, const char* method, jint number, jdouble scale) {
  jbyteArray result = nullptr;
  guarded(env, method, [&] {
    if (!validScale(env, method, scale)) return;
    auto picture = std::make_shared<Picture>();
    const bool served = runOnMain(env, method, [picture, number, scale] {
      NSWindow* window = NSApplication::sharedApplication()->windowWithWindowNumber(number);
      if (!window) return;
      picture->windowFound = true;
      keepBytes(NSWindowSnapshotPNG(window, scale), *picture);
    });
    if (!served) return;
    if (!picture->windowFound)
      return throwJava(env, kIllegalArgument,
                       std::string(method) + ": there is no window with number " +
                           std::to_string(number));
    result = toJava(env, picture->png);
  });
  return result;
}

jbyteArray snapshotScreen(JNIEnv* env, const char* method, jdouble scale) {
  jbyteArray result = nullptr;
  guarded(env, method, [&] {
    if (!validScale(env, method, scale)) return;
    auto picture = std::make_shared<Picture>();
    if (!runOnMain(env, method,
                   [picture, scale] { keepBytes(NSScreenSnapshotPNG(scale), *picture); }))
      return;
    result = toJava(env, picture->png);
  });
  return result;
}

} // namespace

// static byte[] snapshot(int window, double scale)
extern "C" JNIEXPORT jbyteArray JNICALL Java_ixa_testkit_Snapshots_snapshot(JNIEnv* env, jclass,
                                                                            jint window,
                                                                            jdouble scale) {
  return snapshotWindow(env, "Snapshots.snapshot", window, scale);
}

// static byte[] snapshotScreen(double scale)
extern "C" JNIEXPORT jbyteArray JNICALL Java_ixa_testkit_Snapshots_snapshotScreen(JNIEnv* env,
                                                                                  jclass,
                                                                                  jdouble scale) {
  return snapshotScreen(env, "Snapshots.snapshotScreen", scale);
}

// static byte[] snapshot(int window, double scale), once Screen declares it
extern "C" JNIEXPORT jbyteArray JNICALL Java_ixa_testkit_Screen_snapshot(JNIEnv* env, jclass,
                                                                         jint window,
                                                                         jdouble scale) {
  return snapshotWindow(env, "Screen.snapshot", window, scale);
}

// static byte[] snapshotScreen(double scale), once Screen declares it
extern "C" JNIEXPORT jbyteArray JNICALL Java_ixa_testkit_Screen_snapshotScreen(JNIEnv* env, jclass,
                                                                               jdouble scale) {
  return snapshotScreen(env, "Screen.snapshotScreen", scale);
}
