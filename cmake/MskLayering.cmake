# Dependencies point one way, plugin -> ui -> download -> hftp -> aotl -> tools: a layer's library
# may link only libraries of the layers below it, and must link without any layer above it. MSK_LAYERS lists the
# layers' libraries, lowest first.
#
# msk_check_layering() checks both, once every target exists:
# - now, at configure time: no layer's library names one of the same or a higher layer among its
#   link libraries;
# - at build time: a probe program (layer-probes/msk_layer_probe_<layer>) links each layer's
#   library whole, every object of it, with nothing but what that library names. A call from a
#   layer into one above it (a symbol that only a higher layer defines) leaves an undefined
#   reference there and fails the build.
set(MSK_LAYERS msk_tools msk_aotl msk_hftp msk_download msk_ui msk_plugin_core)

function(msk_check_layering)
  set(below "")
  foreach(layer IN LISTS MSK_LAYERS)
    if(NOT TARGET ${layer})
      continue()  # ui and plugin exist only in the Windows builds
    endif()
    get_target_property(links ${layer} LINK_LIBRARIES)
    foreach(link IN LISTS links)
      if(link IN_LIST MSK_LAYERS AND NOT link IN_LIST below)
        message(FATAL_ERROR "${layer} links ${link}, which is not a layer below it "
                            "(layers, lowest first: ${MSK_LAYERS})")
      endif()
    endforeach()
    list(APPEND below ${layer})

    string(REGEX REPLACE "^msk_" "msk_layer_probe_" probe ${layer})
    add_executable(${probe} ${PROJECT_SOURCE_DIR}/cmake/msk_layer_probe.cpp)
    target_link_libraries(${probe} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${layer}>" msk_options)
    set_target_properties(${probe} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/layer-probes)
  endforeach()
endfunction()
