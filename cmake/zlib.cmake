# zlib, one target for the whole build (artsw_zlib): Debian's zlib1g-dev
# natively; for the cross build its static mingw-w64 build
# (libz-mingw-w64-dev), so neither the DLL nor plughost needs zlib1.dll.
add_library(artsw_zlib INTERFACE)
if(CMAKE_CROSSCOMPILING)
  find_library(ARTSW_STATIC_ZLIB NAMES libz.a)
  if(NOT ARTSW_STATIC_ZLIB)
    message(FATAL_ERROR "static zlib for mingw-w64 not found: run scripts/setup (libz-mingw-w64-dev)")
  endif()
  target_link_libraries(artsw_zlib INTERFACE ${ARTSW_STATIC_ZLIB})
else()
  find_package(ZLIB REQUIRED)
  target_link_libraries(artsw_zlib INTERFACE ZLIB::ZLIB)
endif()
