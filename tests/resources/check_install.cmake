# Installs the build tree into a fresh prefix, as `make install` does, and checks the desktop
# integration: the program, its menu entry and its icon in the hicolor theme.
#   cmake -DBUILD=<build dir> -DPREFIX=<scratch prefix> -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

foreach(path bin/vantoro share/applications/vantoro.desktop share/icons/hicolor/32x32/apps/vantoro.png)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "missing after install: ${path}")
  endif()
endforeach()
if(NOT IS_DIRECTORY "${PREFIX}/bin" OR IS_DIRECTORY "${PREFIX}/bin/vantoro")
  message(FATAL_ERROR "bin/vantoro is not a program file")
endif()

file(STRINGS "${PREFIX}/share/applications/vantoro.desktop" entry)
foreach(line "[Desktop Entry]" "Type=Application" "Exec=vantoro" "Icon=vantoro")
  list(FIND entry "${line}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the desktop entry lacks '${line}'")
  endif()
endforeach()

# The icon is a 32 x 32 PNG: signature, then the IHDR chunk's width and height.
file(READ "${PREFIX}/share/icons/hicolor/32x32/apps/vantoro.png" head LIMIT 24 HEX)
if(NOT head STREQUAL "89504e470d0a1a0a0000000d494844520000002000000020")
  message(FATAL_ERROR "the theme icon is not a 32 x 32 PNG: ${head}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
