# The libFuzzer targets, built only with clang. Include this file from the top-level
# CMakeLists.txt after the platform and library targets exist.
#
# With -DBRIX_FUZZ=ON (scripts/run-fuzz sets it) the platform and the library are also compiled
# with coverage instrumentation and AddressSanitizer/UndefinedBehaviorSanitizer, so the fuzzer
# sees into the code it drives. Use a build directory of its own for that.
option(BRIX_FUZZ "Instrument the platform and the library for the fuzz targets" OFF)

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(BRIX_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined
                           -fno-omit-frame-pointer)
  if(BRIX_FUZZ)
    foreach(target brixfoundation brixdispatch brixdisplay brixappkit brixtestkit brixdialogs_objects)
      target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link ${BRIX_FUZZ_SANITIZERS})
      target_link_options(${target} PRIVATE ${BRIX_FUZZ_SANITIZERS})
    endforeach()
  endif()

  add_executable(json_menu_fuzzer ${CMAKE_CURRENT_LIST_DIR}/json_menu_fuzzer.cpp
                                  $<TARGET_OBJECTS:brixdialogs_objects>)
  target_compile_options(json_menu_fuzzer PRIVATE -fsanitize=fuzzer ${BRIX_FUZZ_SANITIZERS})
  target_link_options(json_menu_fuzzer PRIVATE -fsanitize=fuzzer ${BRIX_FUZZ_SANITIZERS})
  target_link_libraries(json_menu_fuzzer PRIVATE brixdialogs_objects brix_warnings)
  set_target_properties(json_menu_fuzzer PROPERTIES CXX_STANDARD 20 CXX_STANDARD_REQUIRED ON
                        CXX_EXTENSIONS OFF BUILD_RPATH "$<TARGET_FILE_DIR:brixappkit>")
elseif(BRIX_FUZZ)
  message(WARNING "BRIX_FUZZ needs clang; the fuzz targets are not built")
endif()
