# One target carries the language level, warnings and sanitizers for every target.
set(CMAKE_CXX_EXTENSIONS OFF)
# For clangd, clang-tidy and other tools that read how each file is compiled.
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_C_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_library(skarvel_options INTERFACE)
target_compile_features(skarvel_options INTERFACE cxx_std_20 c_std_99)
target_compile_options(skarvel_options INTERFACE -Wall -Wextra -Wshadow)
# Implicit conversions that may change a value, except in the emulator and the
# flood sender (tools/), where the few it reports are counts far inside their
# types' ranges. Clang (and clang-tidy) count sign changes as such
# conversions, GCC does not; a target with SKARVEL_SIGN_CONVERSION set is
# warned of them by both, the others by neither.
target_compile_options(skarvel_options INTERFACE
  $<$<NOT:$<STREQUAL:$<TARGET_PROPERTY:SOURCE_DIR>,${PROJECT_SOURCE_DIR}/tools>>:-Wconversion>
  $<IF:$<BOOL:$<TARGET_PROPERTY:SKARVEL_SIGN_CONVERSION>>,-Wsign-conversion,-Wno-sign-conversion>)
target_include_directories(skarvel_options INTERFACE ${PROJECT_SOURCE_DIR})
if(SKARVEL_WERROR)
  target_compile_options(skarvel_options INTERFACE -Werror)
endif()
if(SKARVEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SKARVEL_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  set(SKARVEL_SANITIZE ON)
  target_compile_options(skarvel_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
if(SKARVEL_SANITIZE)
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(skarvel_options INTERFACE ${_san})
  target_link_options(skarvel_options INTERFACE ${_san})
endif()
