# Card drawing, the formula editor and the application's pictures.
qt_add_resources(CARDDRAW_RESOURCES ${CMAKE_CURRENT_LIST_DIR}/pictures.qrc)
add_library(carddraw STATIC
  ${CMAKE_CURRENT_LIST_DIR}/cardlayout.cpp ${CMAKE_CURRENT_LIST_DIR}/cardlayout.h
  ${CMAKE_CURRENT_LIST_DIR}/cardview.h
  ${CMAKE_CURRENT_LIST_DIR}/aspectwrap.cpp ${CMAKE_CURRENT_LIST_DIR}/aspectwrap.h
  ${CMAKE_CURRENT_LIST_DIR}/carddraw.cpp ${CMAKE_CURRENT_LIST_DIR}/carddraw.h
  ${CMAKE_CURRENT_LIST_DIR}/formulamarkup.cpp ${CMAKE_CURRENT_LIST_DIR}/formulamarkup.h
  ${CMAKE_CURRENT_LIST_DIR}/formulaeditor.cpp ${CMAKE_CURRENT_LIST_DIR}/formulaeditor.h
  ${CARDDRAW_RESOURCES}
)
target_include_directories(carddraw PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(carddraw PUBLIC Qt6::Widgets Qt6::Svg platform cards)
