# Card drawing, the card picture and the formula editor.
cartes_add_test(tst_formulamarkup SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_formulamarkup.cpp
                LIBS carddraw)
cartes_add_test(tst_formulaeditor SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_formulaeditor.cpp
                LIBS carddraw platform_testing)
cartes_add_test(tst_carddraw SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_carddraw.cpp
                LIBS carddraw platform_testing)
cartes_add_test(tst_cardpicture SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_cardpicture.cpp
                LIBS carddraw)
