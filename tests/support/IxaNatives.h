// The native methods of ixa.IxaDialogs, declared for tests and benchmarks that call them
// directly, as the JVM would.
#pragma once

#include <jni.h>

extern "C" {
jint Java_ixa_IxaDialogs_showMacDialog(JNIEnv*, jclass, jstring, jstring, jstring,
                                       jstring) noexcept;
jint Java_ixa_IxaDialogs_show3ButtonMacDialog(JNIEnv*, jclass, jstring, jstring, jstring, jstring,
                                              jstring) noexcept;
jstring Java_ixa_IxaDialogs_showMacTextEntryDialog(JNIEnv*, jclass, jstring, jstring, jstring,
                                                   jstring, jstring) noexcept;
jint Java_ixa_IxaDialogs_showTextEntrySheetDialog(JNIEnv*, jclass, jstring, jstring, jstring,
                                                  jstring, jstring) noexcept;
jint Java_ixa_IxaDialogs_initProgressDialog(JNIEnv*, jclass) noexcept;
jint Java_ixa_IxaDialogs_updateProgressDialog(JNIEnv*, jclass, jstring, jstring, jdouble) noexcept;
jint Java_ixa_IxaDialogs_closeProgressDialog(JNIEnv*, jclass) noexcept;
jint Java_ixa_IxaDialogs_showMacContextMenuWithJSON(JNIEnv*, jclass, jdouble, jdouble,
                                                    jstring) noexcept;
jint Java_ixa_IxaDialogs_renderMacButton(JNIEnv*, jclass, jdouble, jdouble, jlong) noexcept;
jint Java_ixa_IxaDialogs_showMacColorPopover(JNIEnv*, jclass, jdouble, jdouble) noexcept;
jint Java_ixa_IxaDialogs_sheetifyWindow(JNIEnv*, jclass) noexcept;
jint Java_ixa_IxaDialogs_closeSheetifiedWindow(JNIEnv*, jclass) noexcept;
jint Java_ixa_IxaDialogs_modifyMenuBar(JNIEnv*, jclass) noexcept;
}
