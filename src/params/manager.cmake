# The parameter manager: the exchange and the parameter file (QtCore, in
# torvanecore); the two dialogs and the print-out (in torvaneui).
target_sources(torvanecore PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/parameterfile.cpp ${CMAKE_CURRENT_LIST_DIR}/parameterfile.h
    ${CMAKE_CURRENT_LIST_DIR}/parametertransfer.cpp ${CMAKE_CURRENT_LIST_DIR}/parametertransfer.h
)
target_sources(torvaneui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/parameterfeature.cpp ${CMAKE_CURRENT_LIST_DIR}/parameterfeature.h
    ${CMAKE_CURRENT_LIST_DIR}/parametermanagerdialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/parametermanagerdialog.h
    ${CMAKE_CURRENT_LIST_DIR}/parameterprintout.cpp ${CMAKE_CURRENT_LIST_DIR}/parameterprintout.h
    ${CMAKE_CURRENT_LIST_DIR}/parameterviewdialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/parameterviewdialog.h
)
