# The editor's skin bitmaps and its font, both made at build time.
#
# artsw_add_skin() defines, once per build tree:
#   artsw_font     fetches Cuprum and writes <build>/bin/Artwork/Fonts/Cuprum/Cuprum.ttf:
#                  the plug-in opens that relative path from its working directory,
#                  and the DLL and its test programs run in <build>/bin
#   skin_bitmaps   runs the generator (tools/skin), writing <build>/skin/skin1xx.bmp
#   tests          skin_bitmaps_check (sizes and depths of the written files)
# and records in global properties:
#   ARTSW_SKIN_DIR        the folder holding skin101.bmp ... skin106.bmp
#   ARTSW_SKIN_BITMAPS    those five files
#   ARTSW_SKIN_GENERATOR  the generator program (a host program in any build)
#   ARTSW_FONT_FILE       the font file
#
# The generator always runs on the build machine. In a native build it is the
# ordinary target skin_gen (defined in tools/skin); in the cross build it is
# compiled here with the host's own compiler, outside the cross toolchain.

set(ARTSW_SKIN_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../tools/skin)
set(ARTSW_SKIN_SOURCES
    ${ARTSW_SKIN_SOURCE_DIR}/skin_gen.cpp
    ${ARTSW_SKIN_SOURCE_DIR}/canvas.cpp
    ${ARTSW_SKIN_SOURCE_DIR}/bmp.cpp
    ${ARTSW_SKIN_SOURCE_DIR}/panel.cpp
    ${ARTSW_SKIN_SOURCE_DIR}/controls.cpp
    ${ARTSW_SKIN_SOURCE_DIR}/icons.cpp
    ${PROJECT_SOURCE_DIR}/maps/icon_names.cpp
    ${PROJECT_SOURCE_DIR}/maps/name_key.cpp
    ${ARTSW_SKIN_SOURCE_DIR}/sheets.cpp
    ${ARTSW_SKIN_SOURCE_DIR}/preview.cpp)
set(ARTSW_SKIN_HEADERS
    ${ARTSW_SKIN_SOURCE_DIR}/canvas.h
    ${ARTSW_SKIN_SOURCE_DIR}/bmp.h
    ${ARTSW_SKIN_SOURCE_DIR}/skin.h
    ${PROJECT_SOURCE_DIR}/maps/icon_names.h
    ${PROJECT_SOURCE_DIR}/maps/name_key.h
    ${ARTSW_SKIN_SOURCE_DIR}/preview.h
    ${ARTSW_SKIN_SOURCE_DIR}/slot_hues.h)

function(artsw_add_skin)
  if(TARGET skin_bitmaps)
    return()
  endif()

  set(run_dir ${CMAKE_BINARY_DIR}/bin)
  set(font ${run_dir}/Artwork/Fonts/Cuprum/Cuprum.ttf)
  add_custom_command(
    OUTPUT ${font}
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-font ${run_dir}
    COMMENT "Fetching the Cuprum font"
    VERBATIM)
  add_custom_target(artsw_font ALL DEPENDS ${font})

  if(CMAKE_CROSSCOMPILING)
    find_program(ARTSW_HOST_CXX NAMES c++ g++ REQUIRED)
    find_program(ARTSW_HOST_PKG_CONFIG NAMES pkg-config REQUIRED)
    execute_process(
      COMMAND ${ARTSW_HOST_PKG_CONFIG} --cflags --libs cairo freetype2
      OUTPUT_VARIABLE flags
      OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "skin: the host's cairo is missing (Debian: libcairo2-dev)")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    set(generator ${CMAKE_BINARY_DIR}/skin/host/skin_gen)
    add_custom_command(
      OUTPUT ${generator}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/skin/host
      COMMAND ${ARTSW_HOST_CXX} -std=c++20 -O1 -Wall -Wextra -I${PROJECT_SOURCE_DIR} ${ARTSW_SKIN_SOURCES} ${flags}
              -o ${generator}
      DEPENDS ${ARTSW_SKIN_SOURCES} ${ARTSW_SKIN_HEADERS}
      COMMENT "Building the skin generator for the host"
      VERBATIM)
    set(generator_dependency ${generator})
  else()
    set(generator $<TARGET_FILE:skin_gen>)
    set(generator_dependency skin_gen)
  endif()

  set(dir ${CMAKE_BINARY_DIR}/skin)
  set(bitmaps ${dir}/skin101.bmp ${dir}/skin103.bmp ${dir}/skin104.bmp ${dir}/skin105.bmp
              ${dir}/skin106.bmp)
  add_custom_command(
    OUTPUT ${bitmaps}
    COMMAND ${generator} --font ${font} ${dir}
    DEPENDS ${generator_dependency} ${font}
    COMMENT "Drawing the skin bitmaps"
    VERBATIM)
  add_custom_target(skin_bitmaps ALL DEPENDS ${bitmaps})
  add_dependencies(skin_bitmaps artsw_font)

  # Review pictures: PNG copies, an icon chart and mock-ups of the three pages.
  add_custom_target(skin_previews
    COMMAND ${generator} --font ${font} --preview ${dir}/preview ${dir}/preview
    DEPENDS ${generator_dependency} ${font}
    COMMENT "Writing skin previews to ${dir}/preview"
    VERBATIM)

  add_test(NAME skin_bitmaps_check COMMAND ${generator} --check ${dir})

  set_property(GLOBAL PROPERTY ARTSW_SKIN_DIR ${dir})
  set_property(GLOBAL PROPERTY ARTSW_SKIN_BITMAPS ${bitmaps})
  set_property(GLOBAL PROPERTY ARTSW_SKIN_GENERATOR ${generator})
  set_property(GLOBAL PROPERTY ARTSW_FONT_FILE ${font})
endfunction()
