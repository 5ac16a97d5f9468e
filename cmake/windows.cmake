# The Windows build's libraries and settings (included by the top CMakeLists.txt when WIN32):
# the static libraries scripts/build-windows built into POROMINA_WIN_DEPS, under the target names
# the desktop build gets from pkg-config, and every program linked statically so that it imports
# only the system's own DLLs.
set(d ${POROMINA_WIN_DEPS})
if(NOT EXISTS ${d}/lib/libSDL2.a)
  message(FATAL_ERROR "POROMINA_WIN_DEPS (${d}) holds no libSDL2.a: run scripts/build-windows")
endif()
set(win_system_libs setupapi winmm imm32 version ole32 oleaut32 uuid gdi32 user32 shell32 advapi32 cfgmgr32)

add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_include_directories(PkgConfig::SDL2 INTERFACE ${d}/include/SDL2)
target_link_libraries(PkgConfig::SDL2 INTERFACE ${d}/lib/libSDL2.a ${win_system_libs})
add_library(poromina_zlib INTERFACE IMPORTED)
target_link_libraries(poromina_zlib INTERFACE ${d}/lib/libz.a)
add_library(PkgConfig::FREETYPE INTERFACE IMPORTED)
target_include_directories(PkgConfig::FREETYPE INTERFACE ${d}/include/freetype2)
# zlib comes with libpng, which links after FreeType.
target_link_libraries(PkgConfig::FREETYPE INTERFACE ${d}/lib/libfreetype.a)
add_library(PkgConfig::LIBPNG INTERFACE IMPORTED)
target_include_directories(PkgConfig::LIBPNG INTERFACE ${d}/include)
target_link_libraries(PkgConfig::LIBPNG INTERFACE ${d}/lib/libpng16.a poromina_zlib)
add_library(JPEG::JPEG INTERFACE IMPORTED)
target_include_directories(JPEG::JPEG INTERFACE ${d}/include)
target_link_libraries(JPEG::JPEG INTERFACE ${d}/lib/libjpeg.a)

# Wide-character Win32 calls; M_PI from <cmath>; the POSIX calls the tools and tests use
# (setenv, mkdtemp) from platform/system/posix_win32.h.
target_compile_definitions(poromina_options INTERFACE UNICODE _UNICODE _USE_MATH_DEFINES NOMINMAX WIN32_LEAN_AND_MEAN)
target_compile_options(poromina_options INTERFACE
  "SHELL:-include ${CMAKE_SOURCE_DIR}/platform/system/posix_win32.h")
target_link_options(poromina_options INTERFACE -static)

# Resources of a program: the manifest (per-monitor DPI awareness, the UTF-8 code page), the
# version, and for the game icon group 107, drawn by the icon code of the desktop build's
# poromina-tool (POROMINA_HOST_TOOL; without it the game has no icon).
set(POROMINA_HOST_TOOL "" CACHE FILEPATH "poromina-tool of a desktop build, to draw the icon")
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/CMakeLists.txt version_line REGEX "^set\\(POROMINA_VERSION ")
string(REGEX REPLACE "^set\\(POROMINA_VERSION ([0-9.]+)\\).*" "\\1" POROMINA_VERSION "${version_line}")
file(STRINGS ${CMAKE_SOURCE_DIR}/resources/credits.h credit_line REGEX "kCreditedName\\[\\] = \"")
string(REGEX REPLACE ".*kCreditedName\\[\\] = \"([^\"]*)\".*" "\\1" POROMINA_CREDIT "${credit_line}")
string(REPLACE "." "," POROMINA_VERSION_COMMAS "${POROMINA_VERSION},0")
set(POROMINA_VERSION_4 "${POROMINA_VERSION}.0")
set(win_res ${CMAKE_BINARY_DIR}/windows-resources)
configure_file(${CMAKE_SOURCE_DIR}/resources/windows/poromina.manifest ${win_res}/poromina.manifest @ONLY)
set(win_icon ${win_res}/poromina.ico)
if(POROMINA_HOST_TOOL)
  set(pngs)
  foreach(size 16 24 32 48 256)
    list(APPEND pngs ${win_res}/icon-${size}.png)
  endforeach()
  add_custom_command(OUTPUT ${win_icon}
    COMMAND ${POROMINA_HOST_TOOL} icon 16 ${win_res}/icon-16.png
    COMMAND ${POROMINA_HOST_TOOL} icon 24 ${win_res}/icon-24.png
    COMMAND ${POROMINA_HOST_TOOL} icon 32 ${win_res}/icon-32.png
    COMMAND ${POROMINA_HOST_TOOL} icon 48 ${win_res}/icon-48.png
    COMMAND ${POROMINA_HOST_TOOL} icon 256 ${win_res}/icon-256.png
    COMMAND python3 ${CMAKE_SOURCE_DIR}/resources/windows/make_ico.py ${win_icon} ${pngs}
    DEPENDS ${POROMINA_HOST_TOOL} ${CMAKE_SOURCE_DIR}/resources/windows/make_ico.py VERBATIM)
endif()
function(poromina_windows_resources target)
  set(PROGRAM ${target})
  set(MANIFEST ${win_res}/poromina.manifest)
  set(ICON_LINE "")
  set(DESCRIPTION "${target}")
  if(target STREQUAL poromina)
    set(DESCRIPTION "ぽろみな")
    if(POROMINA_HOST_TOOL)
      set(ICON_LINE "107 ICON \"${win_icon}\"")
    endif()
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/resources/windows/poromina.rc.in ${win_res}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${win_res}/${target}.rc)
  if(target STREQUAL poromina AND POROMINA_HOST_TOOL)
    set_source_files_properties(${win_res}/${target}.rc PROPERTIES OBJECT_DEPENDS ${win_icon})
  endif()
endfunction()
