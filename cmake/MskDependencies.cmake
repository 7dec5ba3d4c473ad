# Third-party dependencies as two imported targets, msk::curl and msk::boost, the same names in the
# native and the mingw builds; GoogleTest as GTest::gtest / GTest::gmock; in the mingw builds also
# msk::nsis_pluginapi.
add_library(msk::curl INTERFACE IMPORTED)
add_library(msk::boost INTERFACE IMPORTED)

if(CMAKE_CROSSCOMPILING AND WIN32)
  # Static libcurl (HTTP, HTTPS on Schannel) built by scripts/build-mingw-curl.sh.
  # The scripts take the cache folder from the environment; a configure run sees the same one.
  if(DEFINED ENV{MSK_CACHE_DIR})
    set(msk_default_cache_dir "$ENV{MSK_CACHE_DIR}")
  else()
    set(msk_default_cache_dir "/var/cache/marlowsetupkit")
  endif()
  set(MSK_CACHE_DIR "${msk_default_cache_dir}" CACHE PATH "Where scripts/install-deps.sh caches builds")
  set(MSK_CURL_ROOT "${MSK_CACHE_DIR}/curl-${MSK_MINGW_TRIPLE}" CACHE PATH "Static mingw libcurl")
  if(NOT EXISTS "${MSK_CURL_ROOT}/lib/libcurl.a")
    message(FATAL_ERROR "No mingw libcurl at ${MSK_CURL_ROOT}: run scripts/install-deps.sh")
  endif()
  set_target_properties(msk::curl PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${MSK_CURL_ROOT}/include"
    INTERFACE_COMPILE_DEFINITIONS CURL_STATICLIB
    INTERFACE_LINK_LIBRARIES "${MSK_CURL_ROOT}/lib/libcurl.a;ws2_32;crypt32;bcrypt;iphlpapi")

  # The NSIS plug-in interface (stack, variables, callbacks) from Debian's nsis-pluginapi: its
  # header under the target's include folder, the static library for the target's Unicode NSIS.
  if(MSK_MINGW_TRIPLE STREQUAL "i686-w64-mingw32")
    set(_msk_pluginapi_name pluginapi-x86-unicode)
  else()
    set(_msk_pluginapi_name pluginapi-amd64-unicode)
  endif()
  find_library(MSK_NSIS_PLUGINAPI ${_msk_pluginapi_name} PATHS /usr/${MSK_MINGW_TRIPLE}/lib/nsis
               NO_DEFAULT_PATH)
  find_path(MSK_NSIS_PLUGINAPI_INCLUDE nsis/pluginapi.h PATHS /usr/${MSK_MINGW_TRIPLE}/include
            NO_DEFAULT_PATH)
  if(NOT MSK_NSIS_PLUGINAPI OR NOT MSK_NSIS_PLUGINAPI_INCLUDE)
    message(FATAL_ERROR "No NSIS plug-in API for ${MSK_MINGW_TRIPLE}: run scripts/install-deps.sh")
  endif()
  add_library(msk::nsis_pluginapi INTERFACE IMPORTED)
  set_target_properties(msk::nsis_pluginapi PROPERTIES
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${MSK_NSIS_PLUGINAPI_INCLUDE}"
    INTERFACE_LINK_LIBRARIES "${MSK_NSIS_PLUGINAPI}")

  # Boost is header-only here; expose only /usr/include/boost so that no glibc header leaks into
  # the Windows build.
  set(_msk_boost_dir "${CMAKE_BINARY_DIR}/third_party/boost-include")
  file(MAKE_DIRECTORY "${_msk_boost_dir}")
  file(CREATE_LINK /usr/include/boost "${_msk_boost_dir}/boost" SYMBOLIC)
  set_target_properties(msk::boost PROPERTIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${_msk_boost_dir}"
                                              INTERFACE_INCLUDE_DIRECTORIES "${_msk_boost_dir}")

  if(MSK_BUILD_TESTS OR MSK_BUILD_BENCH)
    # GoogleTest from Debian's sources, compiled for the target.
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL)
    foreach(t gtest gtest_main gmock gmock_main)
      target_link_options(${t} PUBLIC -static -static-libgcc -static-libstdc++)
      if(NOT TARGET GTest::${t})
        add_library(GTest::${t} ALIAS ${t})
      endif()
    endforeach()
  endif()
else()
  find_package(CURL REQUIRED)
  set_target_properties(msk::curl PROPERTIES INTERFACE_LINK_LIBRARIES CURL::libcurl)
  find_package(Boost 1.74 REQUIRED)
  set_target_properties(msk::boost PROPERTIES INTERFACE_LINK_LIBRARIES Boost::headers)
  find_package(Threads REQUIRED)
  if(MSK_BUILD_TESTS OR MSK_BUILD_BENCH)
    find_package(GTest REQUIRED)
  endif()
endif()
