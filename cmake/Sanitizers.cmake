# BCF_SANITIZE instruments every target with ASan and UBSan.
if(BCF_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
# BCF_FUZZ adds libFuzzer's coverage instrumentation; the fuzz targets link libFuzzer itself.
if(BCF_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(WARNING "BCF_FUZZ needs Clang (-DCMAKE_CXX_COMPILER=clang++); no fuzz targets are built")
  set(BCF_FUZZ OFF)
endif()
if(BCF_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
