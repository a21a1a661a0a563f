# Turns each file under assets/ named in ORVEX_EMBEDDED_ASSETS into a C++ byte array that
# orvex_core links in: assets/<name>.<ext> becomes `orvex::assets::<name>_<ext>` (std::span).
set(ORVEX_EMBEDDED_ASSETS "" CACHE INTERNAL "")
file(GLOB ORVEX_ASSET_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/*.png ${CMAKE_SOURCE_DIR}/assets/*.bmp)
set(ORVEX_ASSET_HEADER ${CMAKE_BINARY_DIR}/generated/assets/embedded.h)
set(ORVEX_ASSET_SOURCE ${CMAKE_BINARY_DIR}/generated/assets/embedded.cpp)
add_custom_command(
  OUTPUT ${ORVEX_ASSET_HEADER} ${ORVEX_ASSET_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DOUT_HEADER=${ORVEX_ASSET_HEADER} -DOUT_SOURCE=${ORVEX_ASSET_SOURCE}
          "-DFILES=${ORVEX_ASSET_FILES}" -P ${CMAKE_SOURCE_DIR}/cmake/embed_files.cmake
  DEPENDS ${ORVEX_ASSET_FILES} ${CMAKE_SOURCE_DIR}/cmake/embed_files.cmake
  COMMENT "Embedding assets"
  VERBATIM)
target_sources(orvex_core PRIVATE ${ORVEX_ASSET_SOURCE})
target_include_directories(orvex_core PUBLIC ${CMAKE_BINARY_DIR}/generated)
