# Include roots per library. Headers are spelled from the source root ("physics/desk.h"), but no
# target sees the whole source tree: each library gets a folder of its own in the build tree that
# holds links named like its source folders, and hands it on PUBLIC to what links it. So a file
# reaches only its own library's headers and those of the libraries it links, and an include
# that runs up the layers fails to compile.
set(KD_INCLUDE_STAGE ${CMAKE_BINARY_DIR}/include)
# Made afresh at every configure, so a header taken off a library's list does not linger there.
file(REMOVE_RECURSE ${KD_INCLUDE_STAGE})

# kd_include_root(<target> <folder> [HEADERS <file>...])
# <folder> is relative to the source root. Without HEADERS the whole folder is the target's;
# a folder several libraries share names each one's headers.
function(kd_include_root target folder)
  cmake_parse_arguments(R "" "" "HEADERS" ${ARGN})
  set(root ${KD_INCLUDE_STAGE}/${target})
  set(source ${CMAKE_SOURCE_DIR}/${folder})
  if(R_HEADERS)
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header IN LISTS R_HEADERS)
      if(NOT EXISTS ${source}/${header})
        message(FATAL_ERROR "kd_include_root(${target}): no ${folder}/${header}")
      endif()
      file(CREATE_LINK ${source}/${header} ${root}/${folder}/${header} SYMBOLIC)
    endforeach()
  else()
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${source} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
