# sylvane_sources(VAR dir...): the .cpp files of the given folders. Files named
# *_win.cpp are the Windows halves and belong to the Windows program only.
function(sylvane_sources var)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND result ${found})
  endforeach()
  list(FILTER result EXCLUDE REGEX "_win\\.cpp$")
  set(${var} ${result} PARENT_SCOPE)
endfunction()

function(sylvane_win_sources var)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*_win.cpp)
    list(APPEND result ${found})
  endforeach()
  set(${var} ${result} PARENT_SCOPE)
endfunction()

# sylvane_level(NAME dir): the static library of one level, from the portable
# .cpp files of dir (not its subfolders).
function(sylvane_level name dir)
  sylvane_sources(sources ${dir})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()
