# msk_add_installer_test(<name> SCRIPT <file.nsi> [HTTP_SERVER] [TIMEOUT <s>])
#
# An end-to-end test of the plug-in as installers ship it: makensis builds a silent installer of
# this build's architecture (x86-unicode for the i686 build, amd64-unicode for x86_64) with the DLL
# inside, from a script that includes MskTest.nsh (tests/installer) and ends with ${MskPass}. The
# installer is written to ${CMAKE_BINARY_DIR}/installer-tests/<name>.exe.
# Where CTest has an emulator (wine64) the installer is a CTest test. The i686 build has none on
# this host: tests/guest/run-win32-tests.sh runs its installers in the emulated 32-bit guest.
find_program(MSK_MAKENSIS makensis REQUIRED)
set(MSK_INSTALLER_SUPPORT_DIR ${PROJECT_SOURCE_DIR}/tests/installer)

function(msk_add_installer_test name)
  cmake_parse_arguments(ARG "HTTP_SERVER" "SCRIPT;TIMEOUT" "" ${ARGN})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(target x86-unicode)
  else()
    set(target amd64-unicode)
  endif()
  get_filename_component(script ${ARG_SCRIPT} ABSOLUTE)
  set(out_dir ${CMAKE_BINARY_DIR}/installer-tests)
  set(out ${out_dir}/${name}.exe)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${MSK_MAKENSIS} -V2 -INPUTCHARSET UTF8 "-X!addincludedir ${MSK_INSTALLER_SUPPORT_DIR}"
            -DMSK_TARGET=${target} -DMSK_DLL=$<TARGET_FILE:MarlowSetupKit> -DMSK_OUT=${out} ${script}
    DEPENDS ${script} ${MSK_INSTALLER_SUPPORT_DIR}/MskTest.nsh MarlowSetupKit
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
           COMMAND ${MSK_INSTALLER_SUPPORT_DIR}/run-installer-test.sh ${CMAKE_CROSSCOMPILING_EMULATOR} ${out})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS installer)
  if(ARG_HTTP_SERVER)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED msk_http_server
                         ENVIRONMENT "MSK_TEST_SERVER_FILE=${MSK_TEST_SERVER_FILE_FOR_TESTS}")
  endif()
endfunction()
