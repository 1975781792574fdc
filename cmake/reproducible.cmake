# The 32-bit build is the release: the same commit must give the same bytes
# wherever and whenever it is built. Included from the top level after
# project(), for the cross build only.

# No checkout or build folder in the binaries (__FILE__ in asserts, any
# debug info). GCC tries the last matching map first, so the build folder,
# which usually lies inside the checkout, comes second.
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/>")

# The PE header and the export directory hold the link time unless told not to.
add_link_options(-Wl,--no-insert-timestamp)

# Archives without member times, owners or modes.
foreach(lang C CXX)
  set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
  set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
