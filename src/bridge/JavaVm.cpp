#include "bridge/JavaVm.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <string>

namespace brix {

GetCreatedJavaVMs findGetCreatedJavaVMs() {
  if (void* symbol = dlsym(RTLD_DEFAULT, "JNI_GetCreatedJavaVMs"))
    return reinterpret_cast<GetCreatedJavaVMs>(symbol);
  std::string libjvmPath;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        const char* name = info->dlpi_name;
        if (name && std::strstr(name, "/libjvm.so")) {
          *static_cast<std::string*>(data) = name;
          return 1;
        }
        return 0;
      },
      &libjvmPath);
  if (libjvmPath.empty()) return nullptr;
  void* handle = dlopen(libjvmPath.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (!handle) return nullptr;
  return reinterpret_cast<GetCreatedJavaVMs>(dlsym(handle, "JNI_GetCreatedJavaVMs"));
}

} // namespace brix
