# The factory maps built into the program (maps/factory_library.h).
#
# artsw_factory_maps, a static library: maps/factory_library.cpp, the search
# by name (maps/factory_search.cpp) and the
# source factory_pack (tools/factory) makes from the factory/ folder at build
# time, the map texts compressed in one zlib stream. factory_pack is a host
# program in every build, compiled here with the build machine's own
# compiler (and its zlib and nlohmann-json), like the skin generator.
set(ARTSW_FACTORY_DIR ${PROJECT_SOURCE_DIR}/factory)
file(GLOB_RECURSE ARTSW_FACTORY_FILES CONFIGURE_DEPENDS ${ARTSW_FACTORY_DIR}/*.json)

find_program(ARTSW_HOST_CXX NAMES c++ g++ REQUIRED)
set(pack_source ${PROJECT_SOURCE_DIR}/tools/factory/factory_pack.cpp)
set(pack ${CMAKE_BINARY_DIR}/factory/factory_pack)
set(blob ${CMAKE_BINARY_DIR}/factory/factory_blob.cpp)
add_custom_command(
  OUTPUT ${pack}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/factory
  COMMAND ${ARTSW_HOST_CXX} -std=c++20 -O1 -Wall -Wextra ${pack_source} -lz -o ${pack}
  DEPENDS ${pack_source}
  COMMENT "Building the factory map packer for the host"
  VERBATIM)
add_custom_command(
  OUTPUT ${blob}
  COMMAND ${pack} ${ARTSW_FACTORY_DIR} ${blob}
  DEPENDS ${pack} ${ARTSW_FACTORY_FILES}
  COMMENT "Packing the factory maps"
  VERBATIM)

add_library(artsw_factory_maps STATIC ${PROJECT_SOURCE_DIR}/maps/factory_library.cpp
            ${PROJECT_SOURCE_DIR}/maps/factory_search.cpp ${blob})
target_include_directories(artsw_factory_maps PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(artsw_factory_maps PUBLIC artsw_maps PRIVATE artsw_zlib)
