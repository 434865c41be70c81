# whisper.cpp and ggml, built from the source tree that scripts/setup obtained:
# static, CPU backend, optimised even in debug builds (inference at -O0 is
# unusably slow), and only what our targets link.

if(NOT EXISTS "${PARLOWIND_WHISPER_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "whisper.cpp was not found in ${PARLOWIND_WHISPER_DIR}. Run scripts/setup to obtain it.")
endif()

set(BUILD_SHARED_LIBS OFF CACHE BOOL "" FORCE)
set(WHISPER_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(WHISPER_BUILD_EXAMPLES OFF CACHE BOOL "" FORCE)
set(WHISPER_BUILD_SERVER OFF CACHE BOOL "" FORCE)
set(WHISPER_ALL_WARNINGS OFF CACHE BOOL "" FORCE)
set(GGML_CCACHE OFF CACHE BOOL "" FORCE)
option(PARLOWIND_WHISPER_CUDA "Build whisper.cpp with the CUDA backend" OFF)
option(PARLOWIND_WHISPER_VULKAN "Build whisper.cpp with the Vulkan backend" OFF)
set(GGML_CUDA ${PARLOWIND_WHISPER_CUDA} CACHE BOOL "" FORCE)
set(GGML_VULKAN ${PARLOWIND_WHISPER_VULKAN} CACHE BOOL "" FORCE)

add_subdirectory("${PARLOWIND_WHISPER_DIR}" "${CMAKE_BINARY_DIR}/whisper.cpp" EXCLUDE_FROM_ALL SYSTEM)

foreach(t whisper ggml ggml-base ggml-cpu)
  if(TARGET ${t})
    target_compile_options(${t} PRIVATE $<$<CONFIG:Debug>:-O2>)
  endif()
endforeach()

file(STRINGS "${PARLOWIND_WHISPER_DIR}/CMakeLists.txt" _whisper_project REGEX "^project\\(\"whisper.cpp\" VERSION")
string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" PARLOWIND_WHISPER_VERSION "${_whisper_project}")
