# Adds every direct subfolder that has a CMakeLists.txt, so that a new area needs no edit here.
file(GLOB _children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
list(SORT _children)
foreach(_child IN LISTS _children)
  if(IS_DIRECTORY ${_child} AND EXISTS ${_child}/CMakeLists.txt)
    add_subdirectory(${_child})
  endif()
endforeach()
