# One library per layer of src/. Sources include headers by their path below
# src/ ("engine/Records.h"). So that a layer can reach only its own headers and
# those of the layers it links, each library's include folder holds a link to
# its own folder and nothing else: a sideways include does not build.
#
#   velmora_layer(<target> <folder below src/> SOURCES <files> [LINKS <targets>])
#
# Where the host cannot make symbolic links, the library falls back to the
# whole of src/ and the layering is then checked only on hosts that can.
function(velmora_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 layer "" "" "SOURCES;LINKS")
  add_library(${target} STATIC ${layer_SOURCES})
  set(root ${PROJECT_BINARY_DIR}/layers/${target})
  set(link ${root}/${folder})
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT IS_SYMLINK ${link})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${link} RESULT linked SYMBOLIC)
  else()
    set(linked 0)
  endif()
  if(linked EQUAL 0)
    target_include_directories(${target} PUBLIC ${root})
  else()
    message(WARNING "No symbolic link for ${target} (${linked}): its includes are not checked")
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  endif()
  target_link_libraries(${target} PUBLIC ${layer_LINKS})
endfunction()
