# Warnings, static linking and sanitizers for every target of the project.
add_library(msk_options INTERFACE)
target_compile_options(msk_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wnull-dereference -Wformat=2
  -Wimplicit-fallthrough)
if(MSK_WERROR)
  target_compile_options(msk_options INTERFACE -Werror)
endif()

if(WIN32)
  # Unicode Win32 API, Windows 7 as the floor, no min/max macros.
  target_compile_definitions(msk_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # One self-contained file: libstdc++, libgcc and winpthread are linked in.
  target_link_options(msk_options INTERFACE -static -static-libgcc -static-libstdc++)
  # Every function and object in a section of its own, so the DLL's link can drop what no export
  # reaches (--gc-sections, src/plugin/CMakeLists.txt).
  target_compile_options(msk_options INTERFACE -ffunction-sections -fdata-sections)
endif()

if(MSK_SANITIZER STREQUAL "thread")
  target_compile_options(msk_options INTERFACE -fsanitize=thread -g -O1)
  target_link_options(msk_options INTERFACE -fsanitize=thread)
elseif(MSK_SANITIZER STREQUAL "address")
  target_compile_options(msk_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                               -fno-sanitize-recover=undefined -g -O1)
  target_link_options(msk_options INTERFACE -fsanitize=address,undefined)
elseif(NOT MSK_SANITIZER STREQUAL "")
  message(FATAL_ERROR "MSK_SANITIZER must be thread, address or empty")
endif()
