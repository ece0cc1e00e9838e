# The cardview library: formula markup and editor, drawing, the card picture.
cartes_add_test(tst_formulamarkup SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_formulamarkup.cpp
                LIBS cardview)
cartes_add_test(tst_formulaeditor SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_formulaeditor.cpp
                LIBS cardview platform_testing)
cartes_add_test(tst_carddraw SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_carddraw.cpp
                LIBS cardview platform_testing)
cartes_add_test(tst_cardpicture SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_cardpicture.cpp
                LIBS cardview)
cartes_add_test(tst_cp1252validator SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_cp1252validator.cpp
                LIBS cardview)
