# msk_add_installer_test(<name> SCRIPT <file.nsi> [HTTP_SERVER] [SHOWS_PAGES] [TIMEOUT <s>]
#                        [DEFINES <NAME=VALUE>...] [DEPENDS <target>...])
#
# An end-to-end test of the plug-in as installers ship it: makensis builds an installer of this
# build's architecture (x86-unicode for the i686 build, amd64-unicode for x86_64) with the DLL
# inside, from a script that includes MskTest.nsh (tests/installer) and ends with ${MskPass}. The
# installer is written to ${CMAKE_BINARY_DIR}/installer-tests/<name>.exe.
#
# The installer runs silently (/S) unless SHOWS_PAGES is given: then it shows its pages and must
# close by itself. HTTP_SERVER: the loopback test server is up, and the installer finds it through
# ${MskTestServerInfo}. DEFINES are passed to makensis as -D (e.g. a helper program to embed,
# whose target goes into DEPENDS). MSK_DLL_SOURCE (the DLL) and MSK_NSIS_DIR (the include file's
# folder) are always defined.
#
# Where CTest has an emulator (wine64) the installer is a CTest test. The i686 build has none on
# this host: tests/guest/run-win32-tests.sh runs its installers in the emulated 32-bit guest, with
# the arguments in <name>.args beside the installer.
find_program(MSK_MAKENSIS makensis REQUIRED)
set(MSK_INSTALLER_SUPPORT_DIR ${PROJECT_SOURCE_DIR}/tests/installer)

function(msk_add_installer_test name)
  cmake_parse_arguments(ARG "HTTP_SERVER;SHOWS_PAGES" "SCRIPT;TIMEOUT" "DEFINES;DEPENDS" ${ARGN})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(target x86-unicode)
  else()
    set(target amd64-unicode)
  endif()
  get_filename_component(script ${ARG_SCRIPT} ABSOLUTE)
  set(out_dir ${CMAKE_BINARY_DIR}/installer-tests)
  set(out ${out_dir}/${name}.exe)
  set(defines)
  foreach(define IN LISTS ARG_DEFINES)
    list(APPEND defines "-D${define}")
  endforeach()
  if(ARG_SHOWS_PAGES)
    list(APPEND defines -DMSK_TEST_SHOWS_PAGES)
    set(run_args "")
  else()
    set(run_args /S)
  endif()
  file(MAKE_DIRECTORY ${out_dir})
  file(WRITE ${out_dir}/${name}.args "${run_args}\n")
  add_custom_command(OUTPUT ${out}
    COMMAND ${MSK_MAKENSIS} -V2 -INPUTCHARSET UTF8 "-X!addincludedir ${MSK_INSTALLER_SUPPORT_DIR}"
            -DMSK_TARGET=${target} -DMSK_DLL_SOURCE=$<TARGET_FILE:MarlowSetupKit>
            -DMSK_NSIS_DIR=${PROJECT_SOURCE_DIR}/nsis -DMSK_VERSION=${PROJECT_VERSION} ${defines}
            -DMSK_OUT=${out} ${script}
    DEPENDS ${script} ${MSK_INSTALLER_SUPPORT_DIR}/MskTest.nsh ${PROJECT_SOURCE_DIR}/nsis/MarlowSetupKit.nsh
            MarlowSetupKit ${ARG_DEPENDS}
    COMMENT "makensis ${name} (${target})"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS ${out})

  if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    return()
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_test(NAME ${name}
           COMMAND ${MSK_INSTALLER_SUPPORT_DIR}/run-installer-test.sh ${CMAKE_CROSSCOMPILING_EMULATOR} ${out}
                   ${run_args})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS installer)
  if(ARG_SHOWS_PAGES)
    # Its windows must not meet another test's on the shared display.
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
  if(ARG_HTTP_SERVER)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED msk_http_server
                         ENVIRONMENT "MSK_TEST_SERVER_FILE=${MSK_TEST_SERVER_FILE_FOR_TESTS}")
  endif()
endfunction()
