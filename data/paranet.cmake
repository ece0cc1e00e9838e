# The default network parameters PARANET.LST, built from PARANET.src.
set(CARTES_PARANET_SRC ${CMAKE_CURRENT_SOURCE_DIR}/PARANET.src)
set(paranet ${CMAKE_CURRENT_BINARY_DIR}/PARANET.LST)
# Beside the application executable, so that the built application finds it.
set(paranet_appdir ${PROJECT_BINARY_DIR}/src/app)
add_custom_command(
  OUTPUT ${paranet} ${paranet_appdir}/PARANET.LST
  COMMAND cartes-outil records ${CARTES_PARANET_SRC} ${paranet}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${paranet_appdir}
  COMMAND ${CMAKE_COMMAND} -E copy ${paranet} ${paranet_appdir}/PARANET.LST
  DEPENDS ${CARTES_PARANET_SRC} cartes-outil
  COMMENT "Building the default network parameters PARANET.LST"
  VERBATIM)
add_custom_target(paranet ALL DEPENDS ${paranet} ${paranet_appdir}/PARANET.LST)
